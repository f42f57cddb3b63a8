#include "soak/SoakChecks.h"

#include <exception>
#include <string_view>

#include "app/KelmoraDocument.h"
#include "model/Validation.h"
#include "model/persistence/ExtensionFile.h"
#include "model/persistence/ProjectJson.h"

namespace kelmora::soak {

namespace {

std::string Describe(std::string_view where, const ValidationIssue& issue) {
    return std::string(where) + ": " + issue.message + " (" + issue.field + ")";
}

std::string At(std::string_view what, std::size_t i) {
    return std::string(what) + "[" + std::to_string(i) + "]";
}

// The first line where two texts differ, with a little context.
std::string FirstDifference(const std::string& a, const std::string& b) {
    std::size_t line = 1;
    std::size_t i = 0;
    std::size_t lineStart = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) {
        if (a[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
        ++i;
    }
    const auto lineOf = [lineStart](const std::string& s) {
        const std::size_t end = s.find('\n', lineStart);
        return s.substr(lineStart, end == std::string::npos ? std::string::npos : end - lineStart);
    };
    return "line " + std::to_string(line) + ": '" + lineOf(a) + "' vs '" + lineOf(b) + "'";
}

std::optional<std::string> OpeningIssue(const CWindow& opening, const std::string& where) {
    if (ValidationResult issue = ValidateOpening(opening, RectEntryFromRect(opening.rect)))
        return Describe(where, *issue);
    for (std::size_t i = 0; i < opening.containedOpenings.size(); ++i)
        if (auto issue = OpeningIssue(opening.containedOpenings[i], where + "/" + At("opening", i)))
            return issue;
    return std::nullopt;
}

}  // namespace

std::string ModelDump(const CNoise& model) {
    ProjectDocument project;
    project.model = model;
    return ProjectJsonText(project);
}

std::string ProjectDump(const ProjectDocument& project) {
    return ProjectJsonText(project);
}

namespace {

// Items skipped: the index of the ground line, building and outdoor source under edit (−1: none) and
// whether the prediction settings are.
struct Skipped {
    int groundLine = -1;
    int building = -1;
    int outdoorSource = -1;
    bool prediction = false;
};

std::optional<std::string> Issue(const CNoise& model, const Skipped& skip);

}  // namespace

std::optional<std::string> ModelIssue(const CNoise& model) {
    return Issue(model, {});
}

std::optional<std::string> WorkingCopyIssue(const CNoise& workingCopy, const EditState& edit) {
    const int mode = edit.editMode;
    Skipped skip;
    if (mode >= kGroundLineAddMode && mode <= kWallChangeMode) skip.groundLine = edit.currentGroundLine;
    if (mode >= kBuildingAddMode && mode <= kRoomSourceChangeMode) skip.building = edit.currentBuilding;
    if (mode == kOutdoorSourceAddMode || mode == kOutdoorSourceChangeMode)
        skip.outdoorSource = edit.currentOutdoorSource;
    skip.prediction = mode == kPredictionMode;
    return Issue(workingCopy, skip);
}

namespace {

std::optional<std::string> Issue(const CNoise& model, const Skipped& skip) {
    for (std::size_t i = 0; i < model.groundLines.size(); ++i) {
        if (static_cast<int>(i) == skip.groundLine) continue;
        const CGroundLine& line = model.groundLines[i];
        if (ValidationResult issue = ValidateGroundLine(line)) return Describe(At("groundLine", i), *issue);
        for (std::size_t w = 0; w < line.walls.size(); ++w)
            if (ValidationResult issue = ValidateWall(line.walls[w]))
                return Describe(At("groundLine", i) + "/" + At("wall", w), *issue);
    }
    for (std::size_t b = 0; b < model.buildings.size(); ++b) {
        if (static_cast<int>(b) == skip.building) continue;
        const CBuilding& building = model.buildings[b];
        const std::string where = At("building", b);
        for (std::size_t i = 0; i < building.roofs.size(); ++i)
            if (ValidationResult issue = ValidateRectEntry(RectEntryFromRect(building.roofs[i].face.rect)))
                return Describe(where + "/" + At("roof", i), *issue);
        for (std::size_t i = 0; i < building.walls.size(); ++i)
            if (ValidationResult issue = ValidateBuildingWall(building.walls[i]))
                return Describe(where + "/" + At("wall", i), *issue);
        for (std::size_t r = 0; r < building.rooms.size(); ++r) {
            const CRoom& room = building.rooms[r];
            const std::string roomAt = where + "/" + At("room", r);
            if (ValidationResult issue = ValidateRoom(room)) return Describe(roomAt, *issue);
            for (std::size_t i = 0; i < room.openings.size(); ++i)
                if (auto issue = OpeningIssue(room.openings[i], roomAt + "/" + At("opening", i)))
                    return issue;
            for (std::size_t i = 0; i < room.sources.size(); ++i)
                if (ValidationResult issue = ValidateSource(room.sources[i]))
                    return Describe(roomAt + "/" + At("source", i), *issue);
        }
    }
    for (std::size_t i = 0; i < model.outdoorSources.size(); ++i)
        if (static_cast<int>(i) != skip.outdoorSource)
            if (ValidationResult issue = ValidateSource(model.outdoorSources[i]))
                return Describe(At("outdoorSource", i), *issue);
    if (!skip.prediction)
        if (ValidationResult issue = ValidatePredictionSettings(model, model.calcInfo.singlePoint.position))
            return Describe("prediction", *issue);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> RoundTripIssue(const KelmoraDocument& document,
                                          const std::filesystem::path& path) {
    const ProjectDocument project = document.ToProject();
    ProjectWithExtras read;
    try {
        if (path.empty()) {
            const std::vector<std::uint8_t> bytes = WriteProject(project);
            read.project = ReadProject(bytes);
            if (!document.extras().Empty())
                read.extras = ReadExtensionText(WriteExtensionText(document.extras()));
        } else {
            SaveProjectWithExtras(path, project, document.extras());
            read = ReadProjectWithExtras(path);
        }
    } catch (const std::exception& e) {
        return std::string("the document does not save and load: ") + e.what();
    }
    if (!read.extrasProblem.empty()) return "the extension file does not load: " + read.extrasProblem;
    const std::string before = ProjectDump(project);
    const std::string after = ProjectDump(read.project);
    if (before != after) return "the project loads back different: " + FirstDifference(before, after);
    if (!(read.extras == document.extras())) return "the extras load back different";
    return std::nullopt;
}

}  // namespace kelmora::soak
