#pragma once
// CBreakdownWriter: the one way in which a prediction run writes its calculation breakdown — a
// comma-separated text in which every line starts with one " ," field per indentation level and a
// level marker (★ ◆ ■ ▲ ▼ ● ◎ ☆ ◇ □ △ ▽ 〇 ・ by level modulo 14), followed by a heading and its
// value items.
//
// A run keeps one indentation level shared by all its writes. Each heading of a prediction point
// sets the level to 0, so the breakdown of a point depends on nothing written before it: a parallel
// run gives each point its own writer and memory buffer and writes the buffers in point order.
#include <array>
#include <string>
#include <string_view>

#include "geometry/Vector.h"
#include "model/Band.h"

namespace kelmora {

class CLongJob;
class CTextSink;

// The level marker of indentation level `level` (≥ 0).
std::string_view LevelMarker(int level);

// How WriteBreakdown changes the level of a new line.
inline constexpr int kKeepLevel = 0;
inline constexpr int kAddToLevel = 1;
inline constexpr int kSetLevel = 2;

class CBreakdownWriter {
public:
    // `sink` null: no breakdown file is written, but every write still tests the cancel flag of
    // `job` (may be null).
    CBreakdownWriter(CTextSink* sink, const CLongJob* job) : sink_(sink), job_(job) {}

    // Raises JobCancelled when the job's cancel was requested; then, when a file is written:
    // - newLine 0: appends `text` to the current line;
    // - newLine 1: writes `newLineCount` line breaks, changes the level (indentMode 1 adds
    //   indentValue, 2 sets it, 0 keeps it; a negative level becomes 0), then the level's " ,"
    //   fields, one " " when the level is ≥ 1, the level marker and `text`.
    // A "\n" inside `text` is a line break too. A failing file raises TextFileWriteError.
    void WriteBreakdown(std::string_view text, int newLine, int newLineCount, int indentMode,
                        int indentValue);

    // A new line after `lineBreaks` line breaks at the current level.
    void Line(int lineBreaks, std::string_view text) { WriteBreakdown(text, 1, lineBreaks, kKeepLevel, 0); }
    // A new line after `lineBreaks` line breaks at level `level`.
    void LineAtLevel(int lineBreaks, int level, std::string_view text) {
        WriteBreakdown(text, 1, lineBreaks, kSetLevel, level);
    }
    // Text appended to the current line.
    void Append(std::string_view text) { WriteBreakdown(text, 0, 0, kKeepLevel, 0); }
    // Bytes that another writer composed and encoded at this writer's level, written as they are
    // (after the cancel test of every write).
    void AppendEncoded(std::string_view bytes);

    // Changes the level without writing anything (the next new line shows it).
    void ChangeLevel(int delta) { level_ += delta; }
    int level() const { return level_; }

    // Value items appended to the current line.
    // ", X[m]→, %.3f, Y[m]→, %.3f, Z[m]→, %.3f"
    void AppendCoordinates(const CVector3D& p);
    // ", OA→, %.2f" with the overall level of the values as they stand (only when `withOverall`),
    // then ", %g[Hz]バンド→, %.2f" for each band of the spectrum's kind.
    void AppendSpectrum(const CBand& spectrum, bool withOverall);
    // ", 角%d_X[m]→, %.3f, 角%d_Y[m]→, %.3f, 角%d_Z[m]→, %.3f" for corners 1..4, then
    // ", 辺(角%d-角%d)_回折あり" or ", 辺(角%d-角%d)_回折無し" for the edges 1–2, 2–3, 3–4, 4–1.
    void AppendFace(const std::array<CVector3D, 4>& corners, const std::array<bool, 4>& edgeDiffracts);

    bool writesFile() const { return sink_ != nullptr; }
    // Raises JobCancelled when the job's cancel was requested (long work between two lines).
    void ThrowIfCancelled() const;
    const CLongJob* job() const { return job_; }
    // Tests the cancel flag as every write does; true when there is a file to write to. Lines whose
    // text is costly to compose ask first, so that a run without breakdown file does not compose them.
    bool Writing() const { return Begin(); }

private:
    // Tests the cancel flag; true when there is a file to write to.
    bool Begin() const;
    // Encodes the composed UTF-8 text and hands it to the sink.
    void Flush();

    CTextSink* sink_;
    const CLongJob* job_;
    int level_ = 0;
    std::string text_;   // UTF-8, being composed
    std::string bytes_;  // CP932, being written
};

}  // namespace kelmora
