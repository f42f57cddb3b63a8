#include "editing/VertexListEditing.h"

#include <algorithm>
#include <cstdio>

#include "editing/EditorFields.h"

namespace kelmora {

void VertexListEditing::Select(int row, const std::vector<CVector3D>& vertices) {
    const int n = static_cast<int>(vertices.size());
    selected_ = n == 0 ? -1 : std::clamp(row, 0, n - 1);
}

bool VertexListEditing::HasSelection(const std::vector<CVector3D>& vertices) const {
    return selected_ >= 0 && static_cast<std::size_t>(selected_) < vertices.size();
}

void VertexListEditing::Append(std::vector<CVector3D>& vertices, const CVector3D& point) {
    vertices.push_back(point);
    selected_ = static_cast<int>(vertices.size()) - 1;
}

void VertexListEditing::Replace(std::vector<CVector3D>& vertices, const CVector3D& point) {
    if (HasSelection(vertices)) vertices[static_cast<std::size_t>(selected_)] = point;
}

void VertexListEditing::Remove(std::vector<CVector3D>& vertices) {
    if (!HasSelection(vertices)) return;
    vertices.erase(vertices.begin() + selected_);
    Select(selected_, vertices);
}

void VertexListEditing::RemoveAll(std::vector<CVector3D>& vertices) {
    vertices.clear();
    selected_ = -1;
}

void VertexListEditing::Insert(std::vector<CVector3D>& vertices, const CVector3D& point) {
    if (!HasSelection(vertices)) return;
    vertices.insert(vertices.begin() + selected_, point);
}

std::optional<CVector3D> VertexListEditing::SelectedVertex(const std::vector<CVector3D>& vertices) const {
    if (!HasSelection(vertices)) return std::nullopt;
    return vertices[static_cast<std::size_t>(selected_)];
}

bool VertexListEditing::NeedsVertices(int buttonId) {
    return buttonId == kVertexChangeId || buttonId == kVertexDeleteId || buttonId == kVertexDeleteAllId ||
           buttonId == kVertexInsertId || buttonId == kVertexCopyId;
}

std::vector<std::string> VertexListEditing::RowTexts(const CVector3D& vertex, int columns) {
    const double coordinates[] = {vertex.x, vertex.y, vertex.z};
    std::vector<std::string> cells;
    for (int i = 0; i < columns && i < 3; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "%.3f", coordinates[i]);
        cells.emplace_back(text);
    }
    return cells;
}

}  // namespace kelmora
