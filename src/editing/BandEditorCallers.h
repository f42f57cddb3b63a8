#pragma once
// Every spectrum of the model that the band editor edits, with the caption the editor shows, the
// range its values must keep and whether it offers the level tools (A-weighting, overall value,
// conversion from a point source's sound pressure level). Sound power spectra are levels in dB,
// transmission losses dB, absorption spectra coefficients 0..1.
#include <span>

namespace kelmora {

enum class BandSpectrum {
    kSourceAveragePower,           // outdoor or room source, average power
    kSourceMaximumPower,           // outdoor or room source, maximum power
    kTransmissionLoss,             // wall, roof or reflector, opening
    kRoomDefaultTransmissionLoss,  // room
    kAbsorption,                   // building wall, opening
    kLeftAbsorption,               // wall or roof, left face
    kRightAbsorption,              // wall or roof, right face
    kLeftGroundAbsorption,         // ground line, left side
    kRightGroundAbsorption,        // ground line, right side
    kRoomMeanAbsorption,
    kRoomCeilingAbsorption,  // the room's defaults
    kRoomFloorAbsorption,
    kRoomWallAbsorption,
};

struct BandEditorCaller {
    BandSpectrum spectrum = BandSpectrum::kAbsorption;
    const char* caption = "";  // the editor's window title
    double min = 0.0;          // every band value must lie in min..max when the editor's OK is pressed
    double max = 0.0;
    bool levelTools = false;  // A-weighting, overall value and sound power conversion shown
};

// The callers in the order of BandSpectrum.
std::span<const BandEditorCaller> BandEditorCallers();
const BandEditorCaller& BandEditorCallerFor(BandSpectrum spectrum);

}  // namespace kelmora
