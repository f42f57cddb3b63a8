#include "platform/gis/ReplaceFile.h"

#include <cpl_vsi.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <span>
#include <system_error>

#include "model/persistence/ReplacingFile.h"

namespace kelmora {

namespace fs = std::filesystem;

namespace {

// A folder of its own in GDAL's memory file system, removed with everything GDAL put there (the file,
// and a database's journal).
class MemoryFolder {
public:
    MemoryFolder() {
        static std::atomic<unsigned> next{0};
        path_ = "/vsimem/kelmora-" + std::to_string(::getpid()) + "-" + std::to_string(next++);
        VSIMkdir(path_.c_str(), 0700);
    }
    ~MemoryFolder() { VSIRmdirRecursive(path_.c_str()); }
    MemoryFolder(const MemoryFolder&) = delete;
    MemoryFolder& operator=(const MemoryFolder&) = delete;

    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string Reason(const std::system_error& e) {
    return e.code().message();
}

}  // namespace

void ReplaceFileByWriting(const fs::path& target, const std::function<void(const fs::path&)>& write) {
    // The target is checked, and its temporary made, before GDAL does any work.
    std::unique_ptr<CReplacingFile> file;
    try {
        file = std::make_unique<CReplacingFile>(target, true);
    } catch (const std::system_error& e) {
        throw FileReplaceError("ファイルを作れません: " + target.string() + " (" + Reason(e) + ")");
    }
    const MemoryFolder folder;
    const fs::path written = folder.path() / target.filename();
    write(written);
    vsi_l_offset length = 0;
    const GByte* bytes = VSIGetMemFileBuffer(written.c_str(), &length, FALSE);
    if (bytes == nullptr) throw FileReplaceError("ファイルが作られませんでした: " + target.string());
    try {
        file->Write(std::span(bytes, static_cast<std::size_t>(length)));
        file->Commit();
    } catch (const std::system_error& e) {
        throw FileReplaceError("ファイルを書き込めません: " + target.string() + " (" + Reason(e) + ")");
    }
}

}  // namespace kelmora
