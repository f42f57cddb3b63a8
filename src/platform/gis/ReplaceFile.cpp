#include "platform/gis/ReplaceFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace kelmora {

namespace fs = std::filesystem;

namespace {

std::string Reason(int error) {
    return std::system_category().message(error);
}

// Flushes a file or folder to the disk; best effort for folders.
bool Sync(const fs::path& path, bool folder) {
    const int fd = ::open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) return folder;
    const bool ok = ::fsync(fd) == 0 || folder;
    ::close(fd);
    return ok;
}

class TemporaryFolder {
public:
    explicit TemporaryFolder(const fs::path& target) {
        const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
        std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw FileReplaceError("一時フォルダを作れません: " + folder.string() + ": " + Reason(errno));
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

}  // namespace

void ReplaceFileByWriting(const fs::path& target, const std::function<void(const fs::path&)>& write) {
    const TemporaryFolder folder(target);
    const fs::path written = folder.path() / target.filename();
    write(written);
    std::error_code ec;
    if (!fs::is_regular_file(written, ec))
        throw FileReplaceError("ファイルが作られませんでした: " + target.string());
    if (!Sync(written, false))
        throw FileReplaceError("ファイルを書き込めません: " + target.string() + ": " + Reason(errno));
    if (::rename(written.c_str(), target.c_str()) != 0)
        throw FileReplaceError("ファイルを置き換えられません: " + target.string() + ": " + Reason(errno));
    Sync(target.has_parent_path() ? target.parent_path() : fs::path("."), true);
}

}  // namespace kelmora
