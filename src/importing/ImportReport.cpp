#include "importing/ImportReport.h"

#include <cstdio>

namespace kelmora {

namespace {

std::string Metres(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

void List(std::string& out, const char* heading, const std::vector<std::string>& items) {
    if (items.empty()) return;
    out += std::string(heading) + " (" + std::to_string(items.size()) + " 件):\n";
    for (const std::string& item : items)
        out += "  " + item + "\n";
}

}  // namespace

void ImportReport::Skip(const std::string& reason, const std::string& feature) {
    for (SkippedFeatures& group : skipped) {
        if (group.reason != reason) continue;
        ++group.count;
        if (group.examples.size() < kSkipExamples) group.examples.push_back(feature);
        return;
    }
    skipped.push_back({reason, 1, {feature}});
}

std::int64_t ImportReport::SkippedCount() const {
    std::int64_t n = 0;
    for (const SkippedFeatures& group : skipped)
        n += group.count;
    return n;
}

std::string ImportReportText(const ImportReport& r) {
    std::string out;
    out += "建物 " + std::to_string(r.buildings) + " (屋上 " + std::to_string(r.roofs) + "), 地表線 " +
           std::to_string(r.groundLines) + ", 遮音壁 " + std::to_string(r.barriers) + ", 屋外音源 " +
           std::to_string(r.sources) + ", 予測点 " + std::to_string(r.points) + "\n";
    if (!r.extent.empty)
        out += "範囲: X " + Metres(r.extent.minX) + " 〜 " + Metres(r.extent.maxX) + ", Y " +
               Metres(r.extent.minY) + " 〜 " + Metres(r.extent.maxY) + " [m]\n";
    out += "原点: " + Metres(r.coordinates.originX) + ", " + Metres(r.coordinates.originY) + " [m]";
    out += r.crsLabel.empty() ? std::string(" (座標系なし)\n") : " (" + r.crsLabel + ")\n";
    if (!r.drawingUnit.empty()) out += "図面の単位: " + r.drawingUnit + "\n";
    if (!r.skipped.empty()) {
        out += "取り込まなかった図形 (" + std::to_string(r.SkippedCount()) + " 件):\n";
        for (const SkippedFeatures& group : r.skipped) {
            out += "  " + group.reason + ": " + std::to_string(group.count) + " 件 (";
            for (std::size_t i = 0; i < group.examples.size(); ++i)
                out += (i > 0 ? ", " : "") + group.examples[i];
            if (group.count > static_cast<std::int64_t>(group.examples.size())) out += ", …";
            out += ")\n";
        }
    }
    List(out, "屋上を短冊で覆った建物", r.stripBuildings);
    List(out, "自己交差を直した建物", r.mendedBuildings);
    List(out, "1m 未満の辺がある建物", r.shortEdgeBuildings);
    for (const std::string& note : r.notes)
        out += "注意: " + note + "\n";
    return out;
}

}  // namespace kelmora
