// The settings files (.ins) as the program reads them at start-up: the input
// is written to a scratch file and read as the cover sizes, as the
// preferences, and line by line through the integer conversion.
#include "CoverSizes.h"
#include "DataFileFormats.h"
#include "Errors.h"
#include "FuzzSupport.h"
#include "NumberConvert.h"
#include "Preferences.h"
#include "SafeFileIO.h"

#include <QDir>

#include <fcntl.h>
#include <unistd.h>

using namespace jf;
using jf::fuzz::require;

namespace {

QString scratchPath()
{
    const QString dir = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/jf-fuzz-settings-%2.ins").arg(dir).arg(::getpid());
}

void checkInteger(const QString& line)
{
    std::int32_t value = 0;
    const bool ok = tryStrToInt(line, value);
    try {
        require(strToInt(line) == value && ok, "strToInt agrees with tryStrToInt");
    } catch (const ConvertError&) {
        require(!ok, "strToInt throws only where tryStrToInt fails");
    }
    if (ok) {
        std::int32_t back = 0;
        require(tryStrToInt(intToStr(value), back) && back == value, "intToStr round trip");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QString path = scratchPath();
    static const QByteArray native = nativePath(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    require(fd >= 0, "scratch file opens");
    require(::write(fd, data, size) == ssize_t(size), "scratch file written");
    ::close(fd);

    try {
        CoverSizes sizes;
        sizes.read(path);
    } catch (const Error&) {
    }
    try {
        Preferences preferences;
        preferences.read(path);
    } catch (const Error&) {
    }
    try {
        SettingsFileReader reader(path);
        int lines = 0;
        while (!reader.atEnd()) {
            const QString line = reader.readLine();
            require(!line.contains(QLatin1Char('\n')), "a line holds no line feed");
            checkInteger(line);
            ++lines;
        }
        require(lines <= int(size), "no more lines than bytes");
        require(reader.readLine().isEmpty(), "past the end lines are empty");
    } catch (const Error&) {
        require(size > std::size_t(maxSettingsFileBytes), "only oversized files are refused");
    }
    return 0;
}
