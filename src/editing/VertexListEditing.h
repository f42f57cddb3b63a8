#pragma once
// The point list of the ground line, exterior wall and room editors: the buttons change the item's
// polyline in the working copy at once (the plan shows every change), and keep the list's selection.
// Reading the entry fields is the editor's; these operations get the point already read.
#include <optional>
#include <string>
#include <vector>

#include "geometry/Vector.h"

namespace kelmora {

class VertexListEditing {
public:
    // The selected row, or −1.
    int selected() const { return selected_; }
    // Selects a row (clamped to the list), or none for an empty list.
    void Select(int row, const std::vector<CVector3D>& vertices);

    // "追加": the point appended at the end and selected.
    void Append(std::vector<CVector3D>& vertices, const CVector3D& point);
    // "変更": the selected vertex replaced by the point; it stays selected.
    void Replace(std::vector<CVector3D>& vertices, const CVector3D& point);
    // "削除": the selected vertex removed; the same row number is selected, clamped to the last row.
    void Remove(std::vector<CVector3D>& vertices);
    // "全削除": every vertex removed, no row selected.
    void RemoveAll(std::vector<CVector3D>& vertices);
    // "挿入": the point inserted before the selected vertex and selected.
    void Insert(std::vector<CVector3D>& vertices, const CVector3D& point);
    // "数値コピー": the selected vertex, or nothing.
    std::optional<CVector3D> SelectedVertex(const std::vector<CVector3D>& vertices) const;

    // Which buttons may be pressed: "変更", "削除", "全削除", "挿入" and "数値コピー" need vertices.
    static bool NeedsVertices(int buttonId);

    // The cells of a row: each coordinate as "%.3f" (X and Y, or X, Y and Z).
    static std::vector<std::string> RowTexts(const CVector3D& vertex, int columns);

private:
    bool HasSelection(const std::vector<CVector3D>& vertices) const;

    int selected_ = -1;
};

}  // namespace kelmora
