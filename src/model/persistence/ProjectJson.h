#pragma once
// The JSON form of a whole project, for users who write or inspect their site models with scripts.
//
// The JSON mirrors the file field for field: objects carry exactly the fields of the model classes
// under their names in the code (`groundLines`, `rangeStart`, `powerAverage`, ...), in the order of
// the file, and nothing the file does not store (run results are left out). A spectrum is
// {kind, overall, octave[7], third[21], title}; a point {x, y, z}; a polyline {vertices: [...]}.
//
// The form is lossless: reading the JSON of a project gives a project whose file has the same bytes.
//  - Doubles are printed with the fewest digits that read back to the same bits, and -0.0 keeps its
//    sign. The values JSON has no number for are strings: "inf", "-inf", "nan" (bits
//    0x7ff8000000000000), "-nan" (0xfff8000000000000) and "nan:0x<16 hex digits>" for any other NaN.
//  - A string is a JSON string, except a text holding UTF-16 code units that are not Unicode
//    characters (lone surrogates, which only odd files hold): it is {"utf16": [unit, ...]}.
//
// Reading checks everything: every field must be present with a value of its kind, and no other field
// may appear. An error names the JSON pointer of the offending value.
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "model/persistence/ProjectFile.h"

namespace kelmora {

// Objects keep the order of their fields, so that the printed form reads in file order.
using ProjectJson = nlohmann::ordered_json;

// A JSON project that cannot be read. what() is "<JSON pointer>: <problem>", e.g.
// "/model/buildings/0/roofs/1/face/rect/p3/z: 数値が必要です".
class ProjectJsonError : public std::runtime_error {
public:
    ProjectJsonError(std::string pointer, std::string problem);
    const std::string& pointer() const { return pointer_; }  // "" for the whole document
    const std::string& problem() const { return problem_; }

private:
    std::string pointer_;
    std::string problem_;
};

ProjectJson ProjectToJson(const ProjectDocument& doc);
// Throws ProjectJsonError; nothing is returned for a document with any error.
ProjectDocument ProjectFromJson(const ProjectJson& json);

// The printed form: two-space indentation, one field per line, arrays and objects that hold only
// plain values (spectrum bands, points) on one line; UTF-8 text, ending with a newline.
std::string FormatProjectJson(const ProjectJson& json);
std::string ProjectJsonText(const ProjectDocument& doc);
// The deepest nesting of arrays and objects a JSON project may hold: room for openings nested as deep
// as the file allows (two levels each) and the records around them.
inline constexpr int kMaxJsonNesting = 1024;

// Parses JSON text and reads the project from it; a syntax error, or arrays and objects nested deeper
// than kMaxJsonNesting, is a ProjectJsonError of the whole document naming the line and column.
ProjectDocument ParseProjectJson(std::string_view text);

}  // namespace kelmora
