#include "CommandLine.h"

#include "Platform.h"
#include "TextCodec.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

#include <unistd.h>

namespace jf {

namespace {

// The picture named by a command-line argument: an absolute path, empty for
// none, or nothing when the argument is a URI of a file elsewhere.
std::optional<QString> picturePath(const QString& argument)
{
    if (argument.isEmpty())
        return QString();
    // "file:/path" and "file://host/path"; any other "scheme://".
    static const QRegularExpression uri(QStringLiteral("^(file:/|[A-Za-z][A-Za-z0-9+.-]*://)"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (!uri.match(argument).hasMatch())
        return QFileInfo(argument).absoluteFilePath();
    const QUrl url(argument);
    const QString host = url.host();
    if (!url.isValid() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0 ||
        !(host.isEmpty() || host == QLatin1String("localhost")))
        return std::nullopt;
    // The path as the bytes it names, whatever their encoding.
    return localPathFromBytes(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

} // namespace

CommandLineRequest parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints CD and DVD case covers at their exact size."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption launchFailure(QStringLiteral("launch-failure"), QString(),
                                     QStringLiteral("text"));
    launchFailure.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(launchFailure);
    parser.addPositionalArgument(QStringLiteral("picture"),
                                 QStringLiteral("A picture to open in the preview."),
                                 QStringLiteral("[picture]"));

    CommandLineRequest request;
    if (!parser.parse(arguments)) {
        request.action = CommandLineRequest::Action::Refuse;
        request.text = parser.errorText();
    } else if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        request.action = CommandLineRequest::Action::ShowHelp;
        // Qt's help names the program by the path it was started from (the
        // launcher starts it from a library folder): it is named as the
        // user calls it. That text needs the application object.
        if (QCoreApplication::instance()) {
            request.text = parser.helpText();
            request.text.replace(QStringLiteral("Usage: ") + QCoreApplication::arguments().first(),
                                 QStringLiteral("Usage: ") + QCoreApplication::applicationName());
        }
    } else if (parser.isSet(launchFailure)) {
        request.action = CommandLineRequest::Action::ShowLaunchFailure;
        request.text = parser.value(launchFailure);
    } else if (parser.isSet(version)) {
        request.action = CommandLineRequest::Action::ShowVersion;
        request.text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                       QCoreApplication::applicationVersion() + QLatin1Char('\n');
    } else if (const QStringList pictures = parser.positionalArguments(); pictures.size() > 1) {
        request.action = CommandLineRequest::Action::Refuse;
        request.text = QStringLiteral("Only one picture can be opened at a time.");
    } else if (pictures.size() == 1) {
        // An empty argument names no file and stays empty.
        if (const std::optional<QString> path = picturePath(pictures.first())) {
            request.picture = *path;
        } else {
            request.action = CommandLineRequest::Action::Refuse;
            request.text = QStringLiteral("Only pictures on this computer can be opened, not "
                                          "\"%1\".")
                               .arg(pictures.first());
        }
    }
    return request;
}

int answerCommandLine(const CommandLineRequest& request)
{
    using Action = CommandLineRequest::Action;
    const QString name = QCoreApplication::applicationName();
    switch (request.action) {
    case Action::Start:
        return 0;
    case Action::ShowHelp:
    case Action::ShowVersion:
        std::fputs(qPrintable(request.text), stdout);
        return 0;
    case Action::Refuse:
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", qPrintable(name),
                     qPrintable(request.text), qPrintable(name));
        return commandLineRefused;
    case Action::ShowLaunchFailure:
        std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(request.text));
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && platform().messages)
            platform().messages->showError(request.text);
        return 1;
    }
    return 0;
}

namespace {

QMutex& linksMutex()
{
    static QMutex mutex;
    return mutex;
}

// The links localPathFromBytes made: the name each stands for, and the link.
QHash<QByteArray, QString>& madeLinks()
{
    static QHash<QByteArray, QString> links;
    return links;
}

} // namespace

QByteArray localPathBytes(const QString& path)
{
    const QMutexLocker lock(&linksMutex());
    const QHash<QByteArray, QString>& links = madeLinks();
    for (auto it = links.cbegin(); it != links.cend(); ++it) {
        if (it.value() == path)
            return it.key();
    }
    // Bytes that are not UTF-8 may be carried as the data files carry them.
    return encodeLocal8Bit(path);
}

QString localPathFromBytes(const QByteArray& path)
{
    const QString text = QFile::decodeName(path);
    if (QFile::encodeName(text) == path)
        return text;
    QByteArray target = path;
    if (!target.startsWith('/')) {
        char* here = ::getcwd(nullptr, 0);
        target.prepend(QByteArray(here ? here : "") + '/');
        std::free(here);
    }
    // One link a name, each in a folder of its own so that similar names do
    // not meet.
    const QMutexLocker lock(&linksMutex());
    QHash<QByteArray, QString>& links = madeLinks();
    if (const auto known = links.constFind(target); known != links.cend())
        return *known;
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        const QString base =
            QDir(runtime).isAbsolute() && QFileInfo(runtime).isDir() ? runtime : QDir::tempPath();
        return std::make_unique<QTemporaryDir>(base + QStringLiteral("/jacketforge-XXXXXX"));
    }();
    const QString place = folder->filePath(QString::number(links.size()));
    const QString link =
        place + QLatin1Char('/') + QFile::decodeName(target.mid(target.lastIndexOf('/') + 1));
    if (!folder->isValid() || !QDir().mkdir(place) ||
        ::symlink(target.constData(), QFile::encodeName(link).constData()) != 0)
        return text; // found by no one: the picture's message names it
    links.insert(target, link);
    return link;
}

StartArguments::StartArguments(int argc, char** argv, const QProcessEnvironment& environment)
{
    bool platformNamed = false;
    bool filesOnly = false;
    for (int i = 0; i < argc; ++i) {
        const QByteArray word(argv[i]);
        if (!filesOnly && i > 0 && word == "--")
            filesOnly = true;
        if (filesOnly) {
            m_filesOnly << word;
            continue;
        }
        platformNamed = platformNamed || (i > 0 && (word == "-platform" || word == "--platform"));
        m_words.push_back(word);
    }
    const QString platform = platformNamed ? QString() : preferredDisplayPlatform(environment);
    const bool addPlatform = !platform.isEmpty() && !m_words.empty();
    if (addPlatform) {
        // Right after the program's name.
        m_words.insert(m_words.begin() + 1, {QByteArray("-platform"), platform.toLocal8Bit()});
    }
    for (QByteArray& word : m_words)
        m_qtArgv.push_back(word.data());
    if (addPlatform)
        m_addedPlatform = m_qtArgv[1];
    m_qtArgc = int(m_qtArgv.size());
    m_qtArgv.push_back(nullptr);
}

QStringList StartArguments::qtArguments() const
{
    QStringList words;
    for (int i = 0; i < m_qtArgc; ++i)
        words << QFile::decodeName(m_qtArgv[size_t(i)]);
    return words;
}

QStringList StartArguments::arguments() const
{
    QStringList words;
    for (int i = 0; i < m_qtArgc; ++i) {
        const char* word = m_qtArgv[size_t(i)];
        if (m_addedPlatform && word == m_addedPlatform) {
            ++i; // and its value
            continue;
        }
        // Options are plain text; anything else may be a file name.
        words << (i == 0 || word[0] == '-' ? QFile::decodeName(word) : localPathFromBytes(word));
    }
    for (qsizetype i = 0; i < m_filesOnly.size(); ++i)
        words << (i == 0 ? QStringLiteral("--") : localPathFromBytes(m_filesOnly[i]));
    return words;
}

QString preferredDisplayPlatform(const QProcessEnvironment& environment)
{
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return QString();
    const bool wayland =
        !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
        environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    const bool xServer = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    return wayland && xServer ? QStringLiteral("xcb") : QString();
}

namespace {

// What Qt said while the application object was being made.
struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};

struct DisplayWatchState
{
    QMutex mutex;
    QtMessageHandler previous = nullptr;
    QList<HeldMessage> held;
    bool pluginMissing = false; // a platform named that does not exist
    bool pluginFailed = false;  // one that exists could not start
};

DisplayWatchState& watchState()
{
    static DisplayWatchState state;
    return state;
}

void passOn(QtMessageHandler handler, const HeldMessage& message)
{
    const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
    handler(message.type, context, message.text);
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    DisplayWatchState& state = watchState();
    QMutexLocker lock(&state.mutex);
    if (type != QtFatalMsg) {
        state.pluginMissing =
            state.pluginMissing ||
            text.startsWith(QLatin1String("Could not find the Qt platform plugin"));
        state.pluginFailed =
            state.pluginFailed || text.contains(QLatin1String("even though it was found"));
        state.held.append(
            {type, QByteArray(context.category ? context.category : "default"), text});
        return;
    }
    // Qt aborts after a fatal message. Without any platform plugin that
    // could start, and not because a named one does not exist, what is
    // missing is the display.
    if (text.contains(QLatin1String("platform plugin")) &&
        (state.pluginFailed || !state.pluginMissing)) {
        std::fputs(noDisplayLine, stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    for (const HeldMessage& message : std::as_const(state.held))
        passOn(state.previous, message);
    state.held.clear();
    state.previous(type, context, text);
}

} // namespace

DisplayWatch::DisplayWatch()
{
    DisplayWatchState& state = watchState();
    const QMutexLocker lock(&state.mutex);
    state.held.clear();
    state.pluginMissing = state.pluginFailed = false;
    state.previous = qInstallMessageHandler(holdMessage);
}

DisplayWatch::~DisplayWatch()
{
    finish();
}

void DisplayWatch::finish()
{
    if (!std::exchange(m_watching, false))
        return;
    DisplayWatchState& state = watchState();
    QList<HeldMessage> held;
    {
        const QMutexLocker lock(&state.mutex);
        qInstallMessageHandler(state.previous);
        held.swap(state.held);
    }
    for (const HeldMessage& message : std::as_const(held))
        passOn(state.previous, message);
}

} // namespace jf
