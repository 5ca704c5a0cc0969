#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace jf {

inline constexpr int coverKindCount = 8;

// The stored width and height of each cover kind (1 to 8) in whole
// millimetres, as DefaultSizes.ins holds them: width then height of each
// kind, kinds in order.
//
// A value that was neither read from the file nor set in this run is not
// known: saving writes the file's own line back in its place, so a file that
// could not be read (or only partly) is never overwritten with zeros.
class CoverSizes
{
public:
    std::int32_t width(int kind) const { return m_values[lineOfWidth(kind)]; }
    std::int32_t height(int kind) const { return m_values[lineOfWidth(kind) + 1]; }
    void setWidth(int kind, std::int32_t millimetres);
    void setHeight(int kind, std::int32_t millimetres);

    // Reads the file line by line, width then height of each kind; each
    // value is taken as soon as it converts, so a failure (ConvertError,
    // InOutError) leaves the values before it in place.
    void read(const QString& path);

    // Writes the 16 lines, each followed by CR LF. Lines whose value is not
    // known are copied from the file as it stands; when the file cannot be
    // read for that the failure is thrown and nothing is written (a missing
    // file has nothing to keep: its unknown values are written as they are).
    void write(const QString& path) const;

    // The sizes a fresh installation ships and the settings window restores.
    static CoverSizes defaults();

    static bool isKind(int kind) { return kind >= 1 && kind <= coverKindCount; }

private:
    static int lineOfWidth(int kind); // 0-based line of the kind's width
    void set(int line, std::int32_t value);

    static constexpr int lineCount = 2 * coverKindCount;
    std::array<std::int32_t, lineCount> m_values{};
    std::array<bool, lineCount> m_known{};
};

// DefaultSizes.ins as text, the way the settings window edits it: each
// line's text unconverted, the width before the height of each kind.
struct SizeTexts
{
    std::array<QString, coverKindCount> widths;  // lines 1, 3, ..., 15
    std::array<QString, coverKindCount> heights; // lines 2, 4, ..., 16

    // Reads the 16 lines; lines missing from a short file read empty.
    // Throws InOutError.
    static SizeTexts read(const QString& path);
    // Writes the 16 texts as they are, an empty one as an empty line, each
    // followed by CR LF. Throws InOutError; the old file then stays whole.
    void write(const QString& path) const;

    // The texts of CoverSizes::defaults().
    static SizeTexts defaults();
};

} // namespace jf
