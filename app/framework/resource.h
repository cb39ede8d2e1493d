// The resource pack res.dat: a ZIP read through PhysicsFS, with a manifest (name, size,
// CRC-32) checked on every read so a damaged pack is reported instead of drawn as garbage.
// Folder names as the game writes them ("models\3ds") are normalised to "models/3ds";
// names are matched without case. Any thread may read once the pack is open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CResource {
public:
    CResource();
    ~CResource();
    CResource(const CResource&) = delete;
    CResource& operator=(const CResource&) = delete;

    // Names the pack file; it is looked up beside the executable, then in the installed
    // data folder (share/kelvodara), then in every folder added with AddSearchDir.
    void SetDatFile(const std::string& name);
    void AddSearchDir(const std::string& dir);
    // The places datFile is looked for, in order and without repeats: beside the executable
    // folder exeDir (skipped when empty), in ../share/kelvodara from there (an installed
    // game under any prefix), in the data folder compiled in, in /usr/share/kelvodara, then
    // in extraDirs. A name holding a '/' is a path of its own and the only place.
    static std::vector<std::string> SearchPlaces(const std::string& exeDir, const std::string& datFile,
                                                 const std::vector<std::string>& extraDirs);
    // Opens the pack (once; later calls return the first result). False when it is
    // missing or damaged; LastError() then names the file and, a line each, every place
    // searched. Names taken from a damaged pack are shown as printable ASCII, cut short.
    bool Open();
    bool IsOpen() const;
    const std::string& LastError() const;
    // Where the opened pack was found.
    const std::string& PackPath() const;

    // Reads file from folder ("textures", "models\3ds", "" for the root). False, with a log
    // line, when the pack is not open, the file is missing, or its size or CRC is wrong.
    bool ReadFile(const std::string& folder, const std::string& file, std::vector<uint8_t>& out);
    bool Exists(const std::string& folder, const std::string& file);

    struct SEntryName {
        std::string folder, file;
    };
    // Reads every entry through once the pack is open: false, with LastError naming the first
    // one that is missing or damaged, when the game cannot do without it.
    bool CheckEntries(const std::vector<SEntryName>& entries);

    // The normalised path of a folder and file: backslashes to slashes, no "./" or "..".
    static std::string JoinPath(const std::string& folder, const std::string& file);

private:
    struct SImpl;
    SImpl* m_pImpl;
};
