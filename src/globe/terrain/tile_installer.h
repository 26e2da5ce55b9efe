// Completes the tile files on the user's machine. The texture file arrives
// as one JPEG world image under its tile-file name ("globetex11j90.tex") and
// is cut into the tile pyramid (levels 0 to 6, JPEG tiles); the terrain file
// ("globe11c.tem") arrives with its level-0 tiles and gets levels 1 to 4.
//
// Headless use (tests, the data builder, "InitTemAndTexture"):
//   tnx::globe::installTexture(folder / "globetex11j90.tex");
//   tnx::globe::installTerrain(folder / "globe11c.tem");
// or initTemAndTexture(folder) for both. With a progress dialog, see
// install_progress_dialog.h (runInstaller).
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>

namespace tnx::globe {

enum class InstallKind { None, Texture, Terrain };

// The job a file name asks for: the text after its first "." is "tex" or
// "tem"; None for anything else (or no ".").
InstallKind installKindFor(std::string_view fileName);
// "Install Globe Texture", "Install Globe Topography", or empty.
std::string installTitle(InstallKind kind);

// What a run did; no error ever reaches the user.
enum class InstallOutcome {
    Installed,        // the job ran to the end
    AlreadyInstalled, // texture: the file is already a tile file (left alone)
    NotApplicable,    // missing file, terrain of another kind, no job
    BadImage,         // texture: the image cannot be read or has the wrong shape
                      // (an empty tile file is left; the image stays beside it)
    Failed,           // I/O error part-way (what was written stays indexed)
};

// The image name a texture tile file is delivered as: the name part before
// the first "." plus ".jpg" ("globetex11j90.tex" -> "globetex11j90.jpg").
std::filesystem::path textureImagePath(const std::filesystem::path& tileFile);

// Cuts the delivered world image into the tile pyramid. The image must be
// 512 < width < 131073 pixels wide and width / 2 high; it is decoded 128 rows
// at a time, so memory stays a few strips whatever its size.
InstallOutcome installTexture(const std::filesystem::path& tileFile);
// Builds terrain levels 1 to 4 from level 0 (every second sample, missing
// samples 0xFFFF never overwrite).
InstallOutcome installTerrain(const std::filesystem::path& tileFile);
// By the file's extension.
InstallOutcome installFile(const std::filesystem::path& tileFile);

// "InitTemAndTexture": the texture "globetex11j90.tex" and then the terrain
// "globe11c.tem" in `folder`, in the calling thread.
void initTemAndTexture(const std::filesystem::path& folder);

// The file an installer argument names: absolute names as given, others in
// the program's home (or beside the executable, where the data lives).
std::filesystem::path installerFile(const std::string& name);

// One job on a worker thread, sharing only its finished flag.
class TileInstaller {
public:
    explicit TileInstaller(std::filesystem::path file);
    ~TileInstaller();  // waits for the worker
    TileInstaller(const TileInstaller&) = delete;
    TileInstaller& operator=(const TileInstaller&) = delete;

    InstallKind kind() const { return kind_; }
    std::string title() const { return installTitle(kind_); }

    // Starts the worker; a file naming no job finishes at once.
    void start();
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    // Blocks until the worker is done.
    void wait();
    // Valid once finished.
    InstallOutcome outcome() const { return outcome_; }

private:
    std::filesystem::path file_;
    InstallKind kind_;
    std::thread worker_;
    std::atomic<bool> finished_{false};
    InstallOutcome outcome_ = InstallOutcome::NotApplicable;
};

// The file named by an "InstallTemAndTexture <file>" argument text: the text
// after its first blank (empty when there is none).
std::string installerArgumentFile(const std::string& argumentText);

// Runs the installer for an argument text as the entry point does:
// "InitTemAndTexture" completes both default files without a window; any
// other text installs the file it names, behind the progress dialog when
// `showDialog` is set (creating a QApplication if none exists; with no
// display at all the job runs without its window), else in the
// calling thread. Always answers 0. Defined with the dialog.
int runInstaller(const std::string& argumentText, bool showDialog);

}  // namespace tnx::globe
