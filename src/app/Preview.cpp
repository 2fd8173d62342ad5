#include "app/Preview.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>
#include <utility>

#include "app/Backups.h"
#include "app/ManagerLauncher.h"
#include "app/SyncStages.h"
#include "model/Error.h"
#include "run/RunState.h"
#include "stores/outlook/VCardFolder.h"

namespace velmora {

namespace {

// Shows nothing and asks nobody: conflicts are noted and left undecided,
// names taken as proposed, mass deletions noted and gone on with, so that the
// whole run shows itself.
class PreviewUi final : public RunUi {
  public:
    explicit PreviewUi(PreviewReport& report) : report_(report) {}

    void SetStatusCaption(std::string_view) override {}
    void ResetStageLabels() override {}
    void ShowStageText(StageId) override {}
    void ShowStageDone(StageId) override {}
    void ShowMessage(std::string_view text) override { report_.messages.emplace_back(text); }
    std::optional<ConflictChoice> ShowConflictDialog(const SyncObject& outlook,
                                                     const SyncObject& phoneBook) override {
        // Each side's turn may ask about the same contact again.
        const std::string name = outlook.ContactName == phoneBook.ContactName
                                     ? outlook.ContactName
                                     : outlook.ContactName + " / " + phoneBook.ContactName;
        if (std::find(report_.conflicts.begin(), report_.conflicts.end(), name) ==
            report_.conflicts.end()) {
            report_.conflicts.push_back(name);
        }
        return std::nullopt;
    }
    std::optional<NameValues> ShowNamePrompt(std::string_view contactName,
                                             const NameValues& proposed,
                                             std::string_view) override {
        NameValues accepted = proposed;
        if (accepted.FileAs.empty()) accepted.FileAs = contactName;
        return accepted;
    }
    bool ConfirmMassDeletion(const MassDeletion& deletion) override {
        report_.deletions.push_back(deletion);
        return true;
    }
    void ProcessPendingEvents() override {}

  private:
    PreviewReport& report_;
};

class NoManager final : public ManagerLauncher {
  public:
    void StartAndWait(const std::filesystem::path&) override {}
};

// A new folder of our own below the system's temporary folder, removed with
// everything in it when the preview ends.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::random_device random;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::filesystem::path candidate =
                base / ("velmora-preview-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                path_ = std::move(candidate);
                return;
            }
        }
        throw Error("No folder for the preview could be made in " + base.string() + ".");
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ignored;  // copies only: nothing of the person's is lost
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// The copy of a path keeps its trailing separator, so that the paths the run
// builds from it read the same once mapped back.
std::filesystem::path CopyPath(const std::filesystem::path& folder, const std::string& name,
                               const std::filesystem::path& real) {
    std::filesystem::path copy = folder / name;
    if (!real.empty() && !real.has_filename()) copy /= "";
    return copy;
}

bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::vector<std::string> lines;
    const std::string all = text.str();
    for (std::size_t at = 0; at < all.size();) {
        const std::size_t end = std::min(all.find("\r\n", at), all.size());
        lines.push_back(all.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// Puts the real paths in place of the copies' ones.
class PathMap {
  public:
    void Add(const std::filesystem::path& copy, const std::filesystem::path& real) {
        pairs_.emplace_back(copy.string(), real.string());
        // The longest first, so a folder never replaces part of a file in it.
        std::sort(pairs_.begin(), pairs_.end(),
                  [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    }
    std::string operator()(std::string text) const {
        for (const auto& [copy, real] : pairs_) {
            for (std::size_t at = text.find(copy); at != std::string::npos;
                 at = text.find(copy, at + real.size())) {
                text.replace(at, copy.size(), real);
            }
        }
        return text;
    }

  private:
    std::vector<std::pair<std::string, std::string>> pairs_;
};

std::string Count(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

PreviewReport PreviewRun(const SettingsStore& store, const std::filesystem::path& programFolder,
                         const RunLocker& lock) {
    const Settings real = LoadSettings(store, programFolder);
    const ScratchFolder scratch;
    Settings copy = real;
    copy.PhoneBookPath = CopyPath(scratch.Path(), "phonebook.db", real.PhoneBookPath);
    copy.SyncPath = CopyPath(scratch.Path(), "sync.db", real.SyncPath);
    copy.LogPath = scratch.Path() / "SyncLog.txt";
    copy.PMBefore = false;
    copy.PMAfter = false;
    PathMap toReal;
    toReal.Add(copy.PhoneBookPath, real.PhoneBookPath);
    toReal.Add(copy.SyncPath, real.SyncPath);
    toReal.Add(copy.LogPath, real.LogPath);

    // Held to the end: the run reads the card folder itself.
    const std::unique_ptr<RunLock> held = lock ? lock(real.SyncPath) : nullptr;
    if (Exists(real.PhoneBookPath)) CopyDatabase(real.PhoneBookPath, copy.PhoneBookPath);
    if (Exists(real.SyncPath)) CopyDatabase(real.SyncPath, copy.SyncPath);

    PreviewReport report;
    InMemorySettingsStore copySettings;
    StoreSettings(copy, copySettings);
    PreviewUi ui(report);
    NoManager manager;
    RunState state;
    // The cards are not copied: the run reads the folder and its index as
    // a real run would, and its save only checks what it would refuse.
    StoreBackends backends = DefaultStoreBackends();
    backends.addressBook = [folder = real.ContactsPath,
                            index = CardIndexPath(real)](const Settings&) {
        return VCardFolderOpener(folder, index, SaveMode::CheckOnly);
    };
    RunDriver driver(state, copySettings, programFolder, ui, manager, MakeSyncStages(ui, backends));
    report.result = driver.Start();
    report.result.message = toReal(report.result.message);
    for (std::string& message : report.messages)
        message = toReal(message);
    for (const std::string& line : ReadLines(copy.LogPath))
        report.logLines.push_back(toReal(line));
    return report;
}

std::string PreviewReport::Summary() const {
    std::string text =
        "Preview: what a synchronization would do now. Nothing has been written.\n\n";
    const RunPlan& plan = result.plan;
    text += "Outlook:        " + ChangesText(plan.outlook) + "\n";
    text += "PhoneBook:      " + ChangesText(plan.phoneBook) + "\n";
    text += "Sync database:  " + ChangesText(plan.sync) + "\n";
    text += "Conflicts:      " + std::to_string(conflicts.size()) + "\n";
    if (!conflicts.empty()) {
        text += "\nThe run will ask which data to keep for " +
                Count(conflicts.size(), "contact", "contacts") +
                " (here they were left undecided):\n";
        for (const std::string& name : conflicts)
            text += "  " + name + "\n";
    }
    if (!deletions.empty()) {
        text += "\nThe run will ask before it writes:\n";
        for (const MassDeletion& deletion : deletions)
            text += "  " + deletion.Summary() + "\n";
    }
    switch (result.outcome) {
        case RunOutcome::Complete:
            break;
        case RunOutcome::CompletedWithErrors:
            text +=
                "\nSome changes could not be stored in the copies; the run would report them.\n";
            break;
        default:
            text += "\nThe run would stop: " + result.message + "\n";
            break;
    }
    return text;
}

std::string PreviewReport::Text() const {
    std::string text = Summary() + "\nThe activity log would read:\n\n";
    for (const std::string& line : logLines)
        text += line + "\n";
    return text;
}

}  // namespace velmora
