#include "calc/PartMerge.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <optional>

#include "calc/PartFile.h"
#include "calc/PrintfFormat.h"
#include "calc/ResultFiles.h"
#include "calc/TextOutput.h"

namespace kelmora {
namespace {

// "5" or "1201–1800": 1-based point numbers of a block.
std::string PointNumbers(const PointRange& range) {
    if (range.count == 1) return std::to_string(range.first + 1);
    return std::to_string(range.first + 1) + "–" + std::to_string(range.first + range.count);
}

std::string ShardName(int shard, int shardCount) {
    return std::to_string(shard) + "/" + std::to_string(shardCount);
}

// Opens one part and reads it whole; its points' results go to `points`. A refusal text, or nothing
// (and the part, open, in `opened`).
std::optional<std::string> ReadWholePart(const std::filesystem::path& path, const MergeExpectation& expected,
                                         std::span<CPredictivePoint> points, PartHeader& header,
                                         std::unique_ptr<CInputFileStream>& opened) {
    const std::string name = path.string();
    try {
        opened = std::make_unique<CInputFileStream>(RegularFile(path));
    } catch (const InputFileError& e) {
        return name + ": パートファイルを開けません (" + e.reason() + ")";
    }
    try {
        CPartReader reader(*opened);
        header = reader.header();
        if (header.modelDigest != expected.modelDigest ||
            header.pointCount != static_cast<int>(points.size()))
            return name + ": 別のプロジェクトか、編集される前のプロジェクトのパートです";
        if (header.engineVersion != expected.engineVersion) {
            return name + ": 別のエンジン (" + header.engineVersion +
                   ") で計算されたパートです (このエンジンは " + expected.engineVersion + ")";
        }
        if (expected.needBreakdown && !header.withBreakdown)
            return name + ": 計算内訳を含まないパートです (シャードを --with-breakdown で計算してください)";
        PartPoint point;
        while (reader.Next(point, nullptr)) {
            CPredictivePoint& target = points[static_cast<std::size_t>(point.index)];
            if (std::memcmp(&target.position, &point.position, sizeof point.position) != 0)
                return name + ": 予測点 " + std::to_string(point.index + 1) +
                       " の位置がプロジェクトと異なります";
            target.resultAverage = CBand::Filled(kNoSoundLevel);
            target.resultMax = CBand::Filled(kNoSoundLevel);
            for (int b = 0; b < kThirdOctaveBands; ++b) {
                target.resultAverage.value(b) = point.average[static_cast<std::size_t>(b)];
                target.resultMax.value(b) = point.maximum[static_cast<std::size_t>(b)];
            }
        }
    } catch (const PartFileError& e) {
        return name + ": " + e.what();
    } catch (const InputFileError& e) {
        return name + ": パートファイルを読めません (" + e.reason() + ")";
    }
    return std::nullopt;
}

// Hands the breakdown bytes of the parts on to the breakdown file, testing the cancel flag on the way.
class CancellableSink : public CTextSink {
public:
    CancellableSink(CTextSink& out, const CLongJob& job) : out_(out), job_(job) {}
    void Write(std::string_view bytes) override {
        job_.ThrowIfCancelled();
        out_.Write(bytes);
    }

private:
    CTextSink& out_;
    const CLongJob& job_;
};

}  // namespace

GatheredParts GatherParts(std::span<const std::filesystem::path> parts, const MergeExpectation& expected,
                          std::span<CPredictivePoint> points) {
    GatheredParts gathered;
    std::optional<int> shardCount;
    std::map<int, CheckedPart> byShard;
    for (const std::filesystem::path& path : parts) {
        PartHeader header;
        std::unique_ptr<CInputFileStream> opened;
        if (std::optional<std::string> refusal = ReadWholePart(path, expected, points, header, opened)) {
            gathered.refusals.push_back(*refusal);
            continue;
        }
        if (!shardCount) shardCount = header.shardCount;
        if (header.shardCount != *shardCount) {
            gathered.refusals.push_back(path.string() + ": " + std::to_string(header.shardCount) +
                                        " 分割のパートです (他のパートは " + std::to_string(*shardCount) +
                                        " 分割)");
            continue;
        }
        const auto [it, added] = byShard.emplace(header.shard, CheckedPart{path, std::move(opened)});
        if (!added) {
            gathered.refusals.push_back(path.string() + ": シャード " +
                                        ShardName(header.shard, header.shardCount) + " が " +
                                        it->second.path.string() + " と重複しています");
        }
    }
    if (!shardCount) {
        if (gathered.refusals.empty()) gathered.refusals.emplace_back("パートがありません");
        return gathered;
    }
    const int pointCount = static_cast<int>(points.size());
    for (int shard = 1; shard <= *shardCount; ++shard) {
        const PointRange block = ShardPoints(shard, *shardCount, pointCount);
        const auto it = byShard.find(shard);
        if (it == byShard.end()) {
            if (block.count > 0) {
                gathered.refusals.push_back("予測点 " + PointNumbers(block) + " がありません: シャード " +
                                            ShardName(shard, *shardCount));
            }
        } else if (block.count > 0) {
            gathered.inOrder.push_back(std::move(it->second));
        }
    }
    return gathered;
}

CMergeJob::CMergeJob(const CCalcInfo& calcInfo, std::vector<CheckedPart> partsInOrder)
    : calcInfo_(calcInfo), parts_(std::move(partsInOrder)) {}

CMergeJob::~CMergeJob() {
    Join();
}

void CMergeJob::Run() {
    CRunHost& host = *this->host();
    OfferedFile breakdown = OfferOutputFile(*this, host, OutputFile::Breakdown);
    if (breakdown.openFailed) {
        PostEnd(kJobError);
        return;
    }
    if (breakdown.file) {
        const int pointCount = static_cast<int>(calcInfo_.PredictionPoints().size());
        CancellableSink sink(*breakdown.file, *this);
        for (CheckedPart& part : parts_) {
            // The file that was checked, read again from its start; should its bytes have changed
            // since, the check sum says so and the breakdown file is dropped.
            try {
                part.file->Rewind();
                CPartReader reader(*part.file);
                PartPoint point;
                while (reader.Next(point, &sink))
                    PostProgress(point.index + 1, pointCount);
            } catch (const PartFileError& e) {
                throw PartFileError(part.path.string() + ": " + e.what());
            } catch (const InputFileError& e) {
                throw PartFileError(part.path.string() + ": パートファイルを読めません (" + e.reason() + ")");
            }
        }
        // Every byte is written: the breakdown and the result files are replaced together.
        BeginCommit();
        breakdown.file->Close();
    }
    BeginCommit();
    if (!WriteResultFiles(*this, host, calcInfo_)) {
        PostEnd(kJobError);
        return;
    }
    PostEnd(kJobNormalEnd);
}

}  // namespace kelmora
