#include "model/persistence/SessionFiles.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "model/persistence/ExtensionFile.h"
#include "model/persistence/InputFile.h"

namespace kelmora {

namespace fs = std::filesystem;

namespace {

// More documents than anyone keeps open: a damaged count must not send the start-up through
// millions of missing backups.
constexpr std::int32_t kMostDocumentsRestored = 1000;

void SerializeSettings(CArchive& ar, MainSettings& s, std::string& id) {
    ar.Io(id);
    if (ar.IsLoading() && id != kSettingsIdentification) throw ArchiveError();
    ar.Io(ar.IsStoring() ? s.fileVersion : s.loadedFileVersion);
    if (ar.IsLoading() && s.loadedFileVersion > kNewestSettingsVersion) throw ArchiveError();
    ar.Io(s.mainWindow.left);
    ar.Io(s.mainWindow.top);
    ar.Io(s.mainWindow.right);
    ar.Io(s.mainWindow.bottom);
    if (ar.IsStoring()) {
        ar.WriteInt32(static_cast<std::int32_t>(s.documentsPerTemplate.size()));
        for (std::int32_t count : s.documentsPerTemplate)
            ar.WriteInt32(count);
    } else {
        const std::size_t kinds = ar.ReadCount(4);
        s.documentsPerTemplate.clear();
        for (std::size_t i = 0; i < kinds; ++i)
            s.documentsPerTemplate.push_back(ar.ReadInt32());
    }
}

// The settings file is small: a bound far above it keeps a damaged or foreign file from filling memory.
constexpr std::uint64_t kMaxSettingsBytes = std::uint64_t{1} << 20;

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const fs::path& path) {
    try {
        return ReadRegularFile(path, kMaxSettingsBytes);
    } catch (const InputFileError&) {
        return std::nullopt;
    }
}

}  // namespace

std::vector<std::uint8_t> WriteSettings(const MainSettings& settings) {
    CArchive out;
    MainSettings copy = settings;
    std::string id = kSettingsIdentification;
    SerializeSettings(out, copy, id);
    return out.Bytes();
}

std::optional<MainSettings> ReadSettings(std::span<const std::uint8_t> bytes) {
    try {
        CArchive in(bytes.data(), bytes.size());
        MainSettings settings;
        std::string id;
        SerializeSettings(in, settings, id);
        return settings;
    } catch (const ArchiveError&) {
        return std::nullopt;
    }
}

std::string BackupFileName(int document, int kind) {
    char name[64];
    std::snprintf(name, sizeof name, "DOC%d.asj%d", document, kind);
    return name;
}

SessionWriteResult WriteSession(const fs::path& dataFolder, const SessionSnapshot& session) {
    SessionWriteResult result;
    MainSettings settings;
    settings.mainWindow = session.mainWindow;
    settings.documentsPerTemplate = {static_cast<std::int32_t>(session.documents.size())};
    try {
        SaveFileBytes(dataFolder / kSettingsFileName, WriteSettings(settings));
    } catch (const ProjectFileError&) {
        return result;
    }
    result.settingsWritten = true;
    int k = 0;
    for (const ProjectDocument& doc : session.documents) {
        const ProjectExtras noExtras;
        const ProjectExtras& extras =
            static_cast<std::size_t>(k) < session.extras.size() ? session.extras[k] : noExtras;
        ++k;
        const fs::path backup = dataFolder / BackupFileName(k);
        try {
            SaveProjectWithExtras(backup, doc, extras);
        } catch (const ProjectFileError&) {
            // An older backup under this name must not come back as this document's.
            std::error_code ec;
            fs::remove(backup, ec);
            fs::remove(ExtensionFilePath(backup), ec);
            result.failedBackups.push_back(k);
        }
    }
    return result;
}

std::vector<fs::path> BackupsToRestore(const fs::path& dataFolder, MainSettings* settingsOut) {
    std::vector<fs::path> paths;
    const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(dataFolder / kSettingsFileName);
    if (!bytes) return paths;
    const std::optional<MainSettings> settings = ReadSettings(*bytes);
    if (!settings) return paths;
    if (settingsOut) *settingsOut = *settings;
    for (std::size_t t = 0; t < settings->documentsPerTemplate.size(); ++t)
        for (std::int32_t k = 1; k <= std::min(settings->documentsPerTemplate[t], kMostDocumentsRestored);
             ++k)
            paths.push_back(dataFolder / BackupFileName(k, static_cast<int>(t) + 1));
    return paths;
}

}  // namespace kelmora
