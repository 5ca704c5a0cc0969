#pragma once

#include <QString>

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
// Per-printer corrections; missing until a printer is calibrated.
inline constexpr auto calibration = "Calibration.txt";
// The covers waiting to print together; missing until one is added.
inline constexpr auto sheet = "Sheet.txt";
// The sheet window's choices (line 1: cut marks, 1 or 0; line 2: bleed);
// missing until one is changed.
inline constexpr auto sheetSettings = "SheetSettings.ins";
// How pictures are placed on their covers; missing until a way is chosen.
inline constexpr auto pictureFit = "PictureFit.ins";
// The disc label's hole (line 1: its diameter in millimetres); missing until
// it is changed.
inline constexpr auto disc = "Disc.ins";
// Per-printer disc tray choice and position correction; missing until one
// is set.
inline constexpr auto discCalibration = "DiscCalibration.txt";
} // namespace datafile

// The base directory: the working directory followed by "/".
QString currentBaseDir();

// Where the data files live: the base directory, taken once at start-up,
// followed by "Data/" and the file's name.
class DataFolder
{
public:
    DataFolder() = default;
    explicit DataFolder(QString baseDir) : m_baseDir(std::move(baseDir)) {}

    const QString& baseDir() const { return m_baseDir; }
    QString path(const char* name) const;

private:
    QString m_baseDir;
};

} // namespace jf
