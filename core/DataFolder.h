#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

namespace jf {

// The eight files of the Data folder beneath the base directory.
namespace datafile {
inline constexpr auto sizes = "DefaultSizes.ins";
inline constexpr auto names = "DefaultNames.ins";
inline constexpr auto settings = "DefaultSettings.ins";
inline constexpr auto tips = "Tips.txt";
inline constexpr auto programsNames = "ProgramsNames.txt";
inline constexpr auto programsPaths = "ProgramsPaths.txt";
inline constexpr auto picturesNames = "PicturesNames.txt";
inline constexpr auto picturesPaths = "PicturesPaths.txt";
} // namespace datafile

inline constexpr int coverKindCount = 8;

// The base directory: the working directory followed by "/".
QString currentBaseDir();

// BaseDir + "Data/" + name.
QString dataPath(const QString& baseDir, const char* name);

// Stored widths and heights in millimetres, indexed by cover kind 1 to 8
// (entry 0 is unused).
struct CoverSizes
{
    std::array<std::int32_t, coverKindCount + 1> widths{};
    std::array<std::int32_t, coverKindCount + 1> heights{};
};

// Reads DefaultSizes.ins into the sizes, width then height of each kind,
// assigning every value as soon as it is converted: a failure leaves the
// values before it in place.
void readSizesFile(const QString& path, CoverSizes& sizes);
void writeSizesFile(const QString& path, const CoverSizes& sizes);

// The eight names of DefaultNames.ins (missing lines read empty).
QStringList readNamesFile(const QString& path);

// Reads DefaultSettings.ins: line 1 border width (its low 8 bits), line 2
// border colour, line 3 tip interval. Each value is handed on as soon as it
// has been read and converted.
struct AdvancedSettingsSink
{
    std::function<void(std::uint8_t)> borderWidth;
    std::function<void(const QString&)> borderColour;
    std::function<void(std::int32_t)> tipInterval;
};
void readAdvancedSettingsFile(const QString& path, const AdvancedSettingsSink& sink);

// Appends every line of Tips.txt to the sink, up to the end of the file.
void readTipsFile(const QString& path, const std::function<void(const QString&)>& append);

// The defaults a fresh installation ships and the settings window restores.
QStringList defaultCoverNames();
CoverSizes defaultCoverSizes();

} // namespace jf
