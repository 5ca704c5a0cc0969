#include "SettingsWindow.h"

#include "DataFileFormats.h"
#include "DigitFilter.h"
#include "ErrorReport.h"
#include "NumberConvert.h"
#include "Platform.h"
#include "SafeFileIO.h"
#include "SettingsMerge.h"
#include "SingleLineText.h"
#include "ToolWindow.h"
#include "TypingLimit.h"
#include "WindowLook.h"
#include "Workspace.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QScopeGuard>
#include <QTextDocument>
#include <QTimer>

namespace jf {

namespace {

// Intervals below this many milliseconds get the warning.
constexpr std::int32_t quietestWarnedInterval = 1000;
// The warning shows on this tick of the warning timer after a change.
constexpr int warningOnTick = 3;

// Sets a box's text; an equal text changes nothing and raises no change.
void setEditText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void showIntervalWarning()
{
    if (MessageService* messages = platform().messages)
        messages->showMessage(QStringLiteral(
            "Your tips wil change very rapidly, if you are not sure, change it back"));
}

} // namespace

SettingsWindow::SettingsWindow(Workspace& workspace, QWidget* mainWindow)
    : m_workspace(workspace), m_mainWindow(mainWindow)
{
    m_ui.setupUi(this);
    setWindowFlags(toolWindowFlags);
    setWindowTitle(applicationTitle());
    setFixedSize(502, 390);

    setFont(windowFont());
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label != m_ui.closeMark)
            label->adjustSize();
    }
    m_ui.closeMark->setHoverColour(QColor(0x80, 0x80, 0x80));

    m_nameEdits = {m_ui.nameEdit1, m_ui.nameEdit2, m_ui.nameEdit3, m_ui.nameEdit4,
                   m_ui.nameEdit5, m_ui.nameEdit6, m_ui.nameEdit7, m_ui.nameEdit8};
    m_widthEdits = {m_ui.widthEdit1, m_ui.widthEdit2, m_ui.widthEdit3, m_ui.widthEdit4,
                    m_ui.widthEdit5, m_ui.widthEdit6, m_ui.widthEdit7, m_ui.widthEdit8};
    m_heightEdits = {m_ui.heightEdit1, m_ui.heightEdit2, m_ui.heightEdit3, m_ui.heightEdit4,
                     m_ui.heightEdit5, m_ui.heightEdit6, m_ui.heightEdit7, m_ui.heightEdit8};
    // The length limits hold for typing only: a longer name or size from the
    // files shows whole and is written back whole.
    for (QLineEdit* edit : m_nameEdits)
        TypingLimit::apply(edit);
    for (const auto& column : {m_widthEdits, m_heightEdits}) {
        for (QLineEdit* edit : column)
            DigitFilter::install(edit);
    }
    DigitFilter::install(m_ui.intervalEdit);
    // The colour box's text too.
    SingleLineText::applyToAll(this);
    m_ui.intervalEdit->installEventFilter(this);
    nameControls();
    closeOnEscape(this);

    m_warningTimer = new QTimer(this);
    m_warningTimer->setObjectName(QStringLiteral("warningTimer"));
    m_warningTimer->setInterval(1000);

    connectHandlers();
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::nameControls()
{
    // What a screen reader calls the boxes of the eight rows.
    for (std::size_t i = 0; i < m_nameEdits.size(); ++i) {
        const QString item = QString::number(i + 1);
        m_nameEdits[i]->setAccessibleName(QStringLiteral("Name of item %1").arg(item));
        m_widthEdits[i]->setAccessibleName(QStringLiteral("Width of item %1 (mm)").arg(item));
        m_heightEdits[i]->setAccessibleName(QStringLiteral("Height of item %1 (mm)").arg(item));
    }
}

void SettingsWindow::connectHandlers()
{
    connect(m_ui.acceptLabel, &ClickLabel::clicked, this, guard(this, &SettingsWindow::accept));
    connect(m_ui.cancelLabel, &ClickLabel::clicked, this, &QWidget::close);
    connect(m_ui.defaultNamesLabel, &ClickLabel::clicked, this,
            guard(this, &SettingsWindow::restoreDefaultNames));
    connect(m_ui.defaultSizesLabel, &ClickLabel::clicked, this,
            guard(this, &SettingsWindow::restoreDefaultSizes));

    const auto clearing = [this](Favourites& list) {
        return [this, &list] { guarded([&] { clearFavourites(list); }); };
    };
    connect(m_ui.clearProgramsLabel, &ClickLabel::clicked, this, clearing(m_workspace.programs));
    connect(m_ui.clearPicturesLabel, &ClickLabel::clicked, this, clearing(m_workspace.pictures));

    // Only the user's choice replaces the border width line as read.
    connect(m_ui.borderWidthList, &QComboBox::activated, this,
            [this] { guarded([&] { m_borderWidthLine.reset(); }); });

    connect(m_ui.intervalEdit, &QLineEdit::textChanged, this,
            guard(this, &SettingsWindow::intervalChanged));
    connect(m_warningTimer, &QTimer::timeout, this, guard(this, &SettingsWindow::warningTick));
}

// ---- Opening and closing ------------------------------------------------------

void SettingsWindow::open(const Picture& panel, const QPoint& topLeft)
{
    m_ui.backgroundImage->setPicture(panel);
    showToolWindow(this, m_mainWindow, topLeft);
    fillFromFiles();
}

void SettingsWindow::fillFromFiles()
{
    // Each file fills its controls only once it has been read whole; a
    // failure leaves the controls of the later files as they were. What the
    // controls then show is what Accept compares with, whatever happened.
    for (ShownFile& shown : m_shown)
        shown.whole = false;
    const auto remember = qScopeGuard([this] {
        for (std::size_t file = 0; file < m_shown.size(); ++file)
            m_shown[file].lines = formLines(SettingsFile(file));
    });

    const DataFolder& folder = m_workspace.folder;
    const SizeTexts sizes = SizeTexts::read(folder.path(datafile::sizes));
    for (std::size_t i = 0; i < m_widthEdits.size(); ++i) {
        setEditText(m_widthEdits[i], sizes.widths[i]);
        setEditText(m_heightEdits[i], sizes.heights[i]);
    }
    m_shown[SizesFile].whole = true;

    const QStringList names = readCoverNames(folder.path(datafile::names));
    for (std::size_t i = 0; i < m_nameEdits.size(); ++i)
        setEditText(m_nameEdits[i], names.value(qsizetype(i)));
    m_shown[NamesFile].whole = true;

    const QStringList preferences = readPreferenceLines(folder.path(datafile::settings));
    m_borderWidthLine.reset();
    const std::int32_t borderWidth = strToInt(preferences[0]);
    // A width the list does not offer selects no entry.
    QComboBox* widths = m_ui.borderWidthList;
    widths->setCurrentIndex(borderWidth >= 0 && borderWidth < widths->count() ? borderWidth : -1);
    m_borderWidthLine = preferences[0];
    m_ui.borderColourBox->setCurrentText(preferences[1]);
    // A changed text runs the interval warning's change rule, which reports
    // its own failure; the tips are read all the same.
    setEditText(m_ui.intervalEdit, preferences[2]);
    m_shown[PreferencesFile].whole = true;

    const TipsBoxText tips = TipsBoxText::read(folder.path(datafile::tips));
    m_ui.tipsEdit->setPlainText(tips.text);
    m_tipsTail = tips.tail;
    m_shown[TipsFile].whole = true;
}

QStringList SettingsWindow::formLines(SettingsFile file) const
{
    QStringList lines;
    switch (file) {
    case SizesFile:
        for (std::size_t i = 0; i < m_widthEdits.size(); ++i)
            lines << m_widthEdits[i]->text() << m_heightEdits[i]->text();
        break;
    case NamesFile:
        for (const QLineEdit* edit : m_nameEdits)
            lines << edit->text();
        break;
    case PreferencesFile:
        lines << m_borderWidthLine.value_or(intToStr(m_ui.borderWidthList->currentIndex()))
              << m_ui.borderColourBox->currentText() << m_ui.intervalEdit->text();
        break;
    case TipsFile: {
        // The box's lines as it holds them, without the changes a plain text
        // export makes (no-break spaces to spaces, line separators to breaks).
        QString text = m_ui.tipsEdit->document()->toRawText();
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        lines << text;
        break;
    }
    }
    return lines;
}

void SettingsWindow::writeFile(SettingsFile file, const QString& path, const QStringList& lines)
{
    switch (file) {
    case SizesFile: {
        SizeTexts sizes;
        for (int i = 0; i < coverKindCount; ++i) {
            sizes.widths[std::size_t(i)] = lines.value(2 * i);
            sizes.heights[std::size_t(i)] = lines.value(2 * i + 1);
        }
        sizes.write(path);
        break;
    }
    case NamesFile:
        writeCoverNames(path, lines);
        break;
    case PreferencesFile:
        writePreferenceLines(path, lines);
        break;
    case TipsFile:
        writeTipsText(path, TipsBoxText{lines.value(0), m_tipsTail});
        break;
    }
}

std::optional<QStringList> SettingsWindow::linesToSave(SettingsFile file, const QString& path)
{
    const ShownFile& shown = m_shown[std::size_t(file)];
    QStringList lines = formLines(file);
    if (lines == shown.lines)
        return std::nullopt; // not changed: the file stays as it is, byte for byte
    // The form does not show this file (or not all of it): only what the user
    // changed is written, the rest is taken from the file as it stands.
    if (!shown.whole)
        lines = mergeWithFile(path, lines, shown.lines, file == TipsFile);
    return lines;
}

void SettingsWindow::accept()
{
    // The boxes are written as they stand, without any check: an empty box
    // gives an empty line. Only files whose controls the user changed are
    // written. A failure to write leaves the files before it written and the
    // window open.
    const DataFolder& folder = m_workspace.folder;
    struct Pending
    {
        SettingsFile file;
        QString path;
        QStringList lines;
    };
    QList<Pending> pending;
    for (const auto& [file, name] :
         {std::pair{SizesFile, datafile::sizes}, std::pair{NamesFile, datafile::names},
          std::pair{PreferencesFile, datafile::settings}, std::pair{TipsFile, datafile::tips}}) {
        const QString path = folder.path(name);
        if (std::optional<QStringList> lines = linesToSave(file, path))
            pending.append({file, path, std::move(*lines)});
    }
    // A file that another program changed since this window read it is not
    // written over, and then none is: the window stays open with the user's
    // changes, and the message names the file.
    for (const Pending& save : std::as_const(pending))
        refuseChangedSettingsFile(save.path);
    for (const Pending& save : std::as_const(pending))
        writeFile(save.file, save.path, save.lines);
    close();
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    // The main window is enabled first, so a refresh that fails leaves this
    // window open over a main window that works.
    m_mainWindow->setEnabled(true);
    bool refreshed = false;
    guarded([&] {
        if (m_closeRefresh)
            m_closeRefresh();
        refreshed = true;
    });
    if (!refreshed) {
        event->ignore();
        return;
    }
    closeToolWindow(this, m_mainWindow);
    event->accept();
}

// ---- Defaults and lists -------------------------------------------------------

void SettingsWindow::restoreDefaultNames()
{
    const QStringList names = defaultCoverNames();
    for (std::size_t i = 0; i < m_nameEdits.size(); ++i)
        setEditText(m_nameEdits[i], names.value(qsizetype(i)));
}

void SettingsWindow::restoreDefaultSizes()
{
    const SizeTexts sizes = SizeTexts::defaults();
    for (std::size_t i = 0; i < m_widthEdits.size(); ++i) {
        setEditText(m_widthEdits[i], sizes.widths[i]);
        setEditText(m_heightEdits[i], sizes.heights[i]);
    }
}

void SettingsWindow::clearFavourites(Favourites& list)
{
    list.clear();
    emit favouritesCleared();
}

// ---- Interval warning -----------------------------------------------------------

bool SettingsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.intervalEdit && event->type() == QEvent::FocusOut) {
        // Only the focus moving on to another control counts, not the window
        // losing the focus to the warning, a menu or another program.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (isVisible() && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            guarded([this] { intervalLeft(); });
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsWindow::intervalChanged()
{
    m_warningTicks = 0;
    if (strToInt(m_ui.intervalEdit->text()) < quietestWarnedInterval) {
        // A timer already running keeps its period.
        if (!m_warningTimer->isActive())
            m_warningTimer->start();
    } else {
        m_warningTimer->stop();
    }
}

void SettingsWindow::warningTick()
{
    ++m_warningTicks; // wraps from 255 to 0
    if (m_warningTicks == warningOnTick) {
        // The timer goes on ticking while the warning is open.
        showIntervalWarning();
        m_warningTimer->stop();
    }
}

void SettingsWindow::intervalLeft()
{
    const std::int32_t interval = strToInt(m_ui.intervalEdit->text());
    // The pending warning is dropped before this one shows, so it cannot
    // come up a second time while this one is open.
    m_warningTimer->stop();
    if (interval < quietestWarnedInterval)
        showIntervalWarning();
}

} // namespace jf
