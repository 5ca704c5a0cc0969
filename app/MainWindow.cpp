#include "MainWindow.h"

#include "DigitFilter.h"
#include "DiscGeometry.h"
#include "ErrorReport.h"
#include "FavouritesList.h"
#include "LineBreaks.h"
#include "Menus.h"
#include "NumberConvert.h"
#include "PageUnits.h"
#include "PictureChooser.h"
#include "Platform.h"
#include "PreviewGeometry.h"
#include "PreviewPanel.h"
#include "SingleLineText.h"
#include "TipsLine.h"
#include "WindowDrag.h"
#include "WindowLook.h"
#include "Workspace.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

#include <utility>

namespace jf {

MainWindow::MainWindow(Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_workspace(workspace)
{
    buildInWindowFont(*this, [this] { m_ui.setupUi(this); });
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(applicationTitle());
    m_ui.titleLabel->setText(applicationTitle());
    setFixedSize(701, 500);
    move(384, 280);

    m_kindButtons = {m_ui.coverKindButton1, m_ui.coverKindButton2, m_ui.coverKindButton3,
                     m_ui.coverKindButton4, m_ui.coverKindButton5, m_ui.coverKindButton6,
                     m_ui.coverKindButton7, m_ui.coverKindButton8};
    m_kindLabels = {m_ui.coverKindLabel1, m_ui.coverKindLabel2, m_ui.coverKindLabel3,
                    m_ui.coverKindLabel4, m_ui.coverKindLabel5, m_ui.coverKindLabel6,
                    m_ui.coverKindLabel7, m_ui.coverKindLabel8};

    setCaptionFonts();
    for (QLabel* label : findChildren<QLabel*>())
        label->adjustSize();
    DigitFilter::install(m_ui.widthEdit);
    DigitFilter::install(m_ui.heightEdit);
    SingleLineText::applyToAll(this);
    m_ui.closeMark->setHoverColour(QColor(0x80, 0x80, 0x80));
    m_pictureChooser = new PictureChooser(this);
    m_preview = new PreviewPanel(m_workspace, m_ui.previewImage, m_pictureChooser);

    m_pictureList =
        new FavouritesList(m_ui.pictureList, m_workspace.pictures, FavouritesList::Choice::Select);
    m_programList = new FavouritesList(m_ui.programList, m_workspace.programs,
                                       FavouritesList::Choice::DoubleClick);

    m_tips = new TipsLine(m_ui.tipLabel, m_workspace.tips);

    createMenus();
    createShortcuts();
    connectHandlers();
    setFocusOrder();
    m_drag = new WindowDrag(this, m_ui.backgroundImage);
    // The window opens with the typing point in the width box.
    m_ui.widthEdit->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::showPictures(const WindowPictures& pictures)
{
    m_pictures = pictures;
    m_ui.backgroundImage->setPicture(pictures.background);
    m_ui.panelImage->setPicture(pictures.panel);
    m_preview->setPlaceholder(pictures.placeholder);
}

void MainWindow::setCaptionFonts()
{
    // Set on each caption, they stay when the window's own font is set.
    const QFont kind = captionFont(17, true, true);
    for (ClickLabel* label : m_kindLabels)
        label->setFont(kind);
    m_ui.titleLabel->setFont(captionFont(16, true));
    for (QLabel* label :
         {m_ui.printerSetupLabel, m_ui.printCoverLabel, m_ui.settingsLabel, m_ui.helpLabel})
        label->setFont(captionFont(21, true));
    for (QLabel* label : {m_ui.importLabel, m_ui.disposeLabel, m_ui.viewImageLabel,
                          m_ui.saveSizesLabel, m_ui.restoreSizesLabel})
        label->setFont(captionFont(13, true));
    for (QLabel* label : {m_ui.picturesCaption, m_ui.addPictureLabel, m_ui.deletePictureLabel,
                          m_ui.programsCaption, m_ui.addProgramLabel, m_ui.deleteProgramLabel})
        label->setFont(captionFont(11, true));
    m_ui.closeLabel->setFont(captionFont(21, false));
    m_ui.closeMark->setFont(captionFont(20, true, false, QStringLiteral("Arial Black")));
}

void MainWindow::createMenus()
{
    // Each entry does exactly what its twin label does.
    m_mainMenu = makeMenu(
        this, "mainMenu",
        {{"printAction", "Print", [this] { emit printRequested(); }},
         {"printPreviewAction", "Print Preview", [this] { emit printPreviewRequested(); }},
         {"addToSheetAction", "Add to Sheet", [this] { emit addToSheetRequested(); }},
         {"sheetAction", "Sheet...", [this] { emit sheetRequested(); }},
         {"discLabelAction", "Disc Label...", [this] { emit discLabelRequested(); }},
         {"settingsAction", "Settings", [this] { emit settingsRequested(); }},
         {"calibrateAction", "Calibrate Printer...", [this] { emit calibrationRequested(); }},
         {"closeAction", "Close", [this] { close(); }}});
    // The ways of placing the picture follow "Print Preview".
    m_preview->addFitEntries(m_mainMenu, findChild<QAction*>(QStringLiteral("addToSheetAction")));
    // Controls with a menu of their own; a right click anywhere else opens
    // the main menu (contextMenuEvent).
    openMenuOnRightClick(
        m_ui.previewImage,
        makeMenu(
            this, "coverMenu",
            {{"importAction", "Import Image", guard(m_preview, &PreviewPanel::import)},
             {"disposeAction", "Dispose Image", guard(m_preview, &PreviewPanel::dispose)},
             {"viewImageAction", "View Image", [this] { guarded([&] { m_preview->view(); }); }},
             {"swapSizesAction", "Change Height to Width",
              guard(this, &MainWindow::swapWidthAndHeight)}}));
    openMenuOnRightClick(
        m_ui.pictureList,
        makeMenu(this, "pictureMenu",
                 {{"addPictureAction", "Add Image", guard(this, &MainWindow::addPicture)},
                  {"deletePictureAction", "Delete Image",
                   guard(m_pictureList, &FavouritesList::deleteSelected)}}));
    openMenuOnRightClick(
        m_ui.programList,
        makeMenu(this, "programMenu",
                 {{"startProgramAction", "Start Selected",
                   guard(this, &MainWindow::startSelectedProgram)},
                  {"addProgramAction", "Add program", [this] { emit addProgramRequested(); }},
                  {"deleteProgramAction", "Delete Selected",
                   guard(m_programList, &FavouritesList::deleteSelected)}}));
}

void MainWindow::createShortcuts()
{
    // Each menu shows its entries' keys; they work while the window is active.
    addShortcuts(this, findChild<QAction*>(QStringLiteral("printAction")),
                 {QKeySequence(Qt::CTRL | Qt::Key_P)});
    addShortcuts(this, findChild<QAction*>(QStringLiteral("importAction")),
                 {QKeySequence(Qt::CTRL | Qt::Key_O)});
    addShortcuts(this, findChild<QAction*>(QStringLiteral("closeAction")),
                 {QKeySequence(Qt::CTRL | Qt::Key_Q), QKeySequence(Qt::CTRL | Qt::Key_W)});
    auto* help = new QAction(this);
    help->setObjectName(QStringLiteral("helpAction"));
    connect(help, &QAction::triggered, this, &MainWindow::helpRequested);
    addShortcuts(this, help, {QKeySequence(Qt::Key_F1)});
    openMenusFromKeyboard(this);
}

void MainWindow::setFocusOrder()
{
    // Reading order: the cover kinds, the commands along the top, the panel
    // from left to right, then "Close". The captions are buttons by now
    // (connectHandlers); the kinds then share one stop.
    QList<QWidget*> order(m_kindLabels.begin(), m_kindLabels.end());
    order << m_ui.printerSetupLabel << m_ui.printCoverLabel << m_ui.settingsLabel << m_ui.helpLabel
          << m_ui.previewImage << m_ui.importLabel << m_ui.widthEdit << m_ui.heightEdit
          << m_ui.disposeLabel << m_ui.viewImageLabel << m_ui.saveSizesLabel
          << m_ui.restoreSizesLabel << m_ui.pictureList << m_ui.addPictureLabel
          << m_ui.deletePictureLabel << m_ui.programList << m_ui.addProgramLabel
          << m_ui.deleteProgramLabel << m_ui.closeLabel;
    jf::setTabOrder(order);
    m_ui.coverKindColumn->setCaptions(QList<ClickLabel*>(m_kindLabels.begin(), m_kindLabels.end()));
}

void MainWindow::connectHandlers()
{
    for (int kind = 1; kind <= int(m_kindButtons.size()); ++kind) {
        const auto select = [this, kind] { guarded([&] { selectCoverKind(kind); }); };
        connect(m_kindLabels[kind - 1], &ClickLabel::clicked, this, select);
        connect(m_kindButtons[kind - 1], &ImageControl::clicked, this, select);
    }

    connect(m_ui.saveSizesLabel, &ClickLabel::clicked, this,
            guard(this, &MainWindow::saveCoverSizes));
    connect(m_ui.restoreSizesLabel, &ClickLabel::clicked, this,
            guard(this, &MainWindow::restoreCoverSizes));
    connect(m_ui.closeLabel, &ClickLabel::clicked, this, &QWidget::close);
    connect(m_ui.printerSetupLabel, &ClickLabel::clicked, this, &MainWindow::printerSetupRequested);
    connect(m_ui.printCoverLabel, &ClickLabel::clicked, this, &MainWindow::printRequested);
    connect(m_ui.settingsLabel, &ClickLabel::clicked, this, &MainWindow::settingsRequested);
    connect(m_ui.helpLabel, &ClickLabel::clicked, this, &MainWindow::helpRequested);

    connect(m_ui.widthEdit, &QLineEdit::textChanged, this, &MainWindow::sizeTextChanged);
    connect(m_ui.heightEdit, &QLineEdit::textChanged, this, &MainWindow::sizeTextChanged);

    connect(m_ui.importLabel, &ClickLabel::clicked, this, guard(m_preview, &PreviewPanel::import));
    connect(m_ui.disposeLabel, &ClickLabel::clicked, this,
            guard(m_preview, &PreviewPanel::dispose));
    connect(m_ui.viewImageLabel, &ClickLabel::clicked, this,
            [this] { guarded([&] { m_preview->view(); }); });

    connect(m_ui.addPictureLabel, &ClickLabel::clicked, this, guard(this, &MainWindow::addPicture));
    connect(m_ui.deletePictureLabel, &ClickLabel::clicked, this,
            guard(m_pictureList, &FavouritesList::deleteSelected));
    connect(m_pictureList, &FavouritesList::chosen, this,
            guard(this, &MainWindow::loadSelectedPicture));
    connect(m_ui.addProgramLabel, &ClickLabel::clicked, this, &MainWindow::addProgramRequested);
    connect(m_ui.deleteProgramLabel, &ClickLabel::clicked, this,
            guard(m_programList, &FavouritesList::deleteSelected));
    connect(m_programList, &FavouritesList::chosen, this,
            guard(this, &MainWindow::startSelectedProgram));

    connect(m_pictureChooser, &PictureChooser::dropped, this,
            guard(m_preview, &PreviewPanel::open));
}

// ---- Showing the workspace --------------------------------------------------

void MainWindow::showCoverNames()
{
    for (std::size_t i = 0; i < m_kindLabels.size(); ++i) {
        m_kindLabels[i]->setText(m_workspace.coverNames.value(qsizetype(i)));
        m_kindLabels[i]->adjustSize();
    }
}

void MainWindow::showWorkspace()
{
    showCoverNames();
    showFavourites();
    m_tips->setInterval(m_workspace.preferences.tipInterval);
    guarded([this] { m_preview->loadFit(); });
}

void MainWindow::showFavourites()
{
    m_programList->showAll();
    m_pictureList->showAll();
}

void MainWindow::takeUpSettings(const SettingsReread& read)
{
    const int kind = std::exchange(m_selectedKind, 0);
    if (!read.sizes)
        return;
    selectCoverKind(kind);
    if (read.names)
        showCoverNames();
    // A changed interval restarts the tips' period, an equal one does not.
    if (read.preferences)
        m_tips->setInterval(m_workspace.preferences.tipInterval);
}

// ---- Windows over the panel ----------------------------------------------------

void MainWindow::carryWhenDragged(QWidget* window)
{
    m_drag->addCompanion(window, m_ui.panelImage->pos());
}

// ---- Closing and menus ------------------------------------------------------------

void MainWindow::paintEvent(QPaintEvent* event)
{
    // Posted, so it comes after the frame is on the screen.
    if (!std::exchange(m_painted, true))
        QTimer::singleShot(0, this, &MainWindow::firstFramePainted);
    QWidget::paintEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    bool mayEnd = !m_mayEnd;
    if (m_mayEnd)
        guarded([&] { mayEnd = m_mayEnd(); });
    if (!mayEnd) {
        // A list could not be saved: the window stays open so nothing is lost.
        event->ignore();
        return;
    }
    event->accept();
    // The program ends. Windows still open (a settings window kept by a
    // failed refresh) are hidden first, so their close handling cannot hold
    // it: ending asks only the windows shown.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->hide();
    }
    QCoreApplication::quit();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event)
{
    m_mainMenu->popup(menuPosition(event));
    event->accept();
}

// ---- Cover kinds and sizes --------------------------------------------------

void MainWindow::selectCoverKind(int kind)
{
    // Re-selecting while nothing is selected (after a failed read) selects
    // nothing: there is no stored entry to show.
    if (!CoverSizes::isKind(kind))
        return;

    CoverSizes& sizes = m_workspace.sizes;
    if (m_selectedKind != 0) {
        sizes.setHeight(m_selectedKind, strToInt(m_ui.heightEdit->text()));
        sizes.setWidth(m_selectedKind, strToInt(m_ui.widthEdit->text()));
    }

    for (ImageControl* button : m_kindButtons)
        button->setPicture(m_pictures.buttonUp);
    m_kindButtons[kind - 1]->setPicture(m_pictures.buttonDown);
    m_ui.coverKindColumn->setChosen(kind - 1);
    m_ui.previewImage->resetCrop();

    // The boxes always end showing the new kind's sizes with its button
    // pressed: a refit that fails on the way (the new height beside an old
    // width of "00") is still reported, but cannot leave the window showing
    // one kind while the sizes typed next are stored on another.
    std::exception_ptr failure;
    const std::pair<QLineEdit*, std::int32_t> boxes[] = {{m_ui.heightEdit, sizes.height(kind)},
                                                         {m_ui.widthEdit, sizes.width(kind)}};
    for (const auto& [edit, value] : boxes) {
        try {
            setEditText(edit, intToStr(value));
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    m_selectedKind = kind;
    showDisc();
    if (failure)
        std::rethrow_exception(failure);
}

void MainWindow::saveCoverSizes()
{
    m_workspace.sizes.write(m_workspace.folder.path(datafile::sizes));
}

void MainWindow::restoreCoverSizes()
{
    m_workspace.sizes.read(m_workspace.folder.path(datafile::sizes));
    const int kind = std::exchange(m_selectedKind, 0);
    selectCoverKind(kind);
}

// ---- Preview ----------------------------------------------------------------

void MainWindow::sizeTextChanged()
{
    const auto refit = [this] {
        const QString h = m_ui.heightEdit->text();
        const QString w = m_ui.widthEdit->text();
        if (!h.isEmpty() && !w.isEmpty() && h != QLatin1String("0") && w != QLatin1String("0"))
            fitPreview();
    };
    if (!m_settingText) {
        guarded(refit); // typed or pasted by the user
        return;
    }
    // The program set the text: a failure belongs to the operation that set
    // it, which goes on from setEditText once Qt's signal has returned.
    try {
        refit();
    } catch (...) {
        m_changeFailure = std::current_exception();
    }
}

void MainWindow::setEditText(QLineEdit* edit, const QString& text)
{
    if (edit->text() == text)
        return;
    m_settingText = true;
    m_changeFailure = nullptr;
    edit->setText(text);
    m_settingText = false;
    if (std::exception_ptr failure = std::exchange(m_changeFailure, nullptr))
        std::rethrow_exception(failure);
}

void MainWindow::fitPreview()
{
    PicturePreview* preview = m_ui.previewImage;
    preview->resize(previewBoxWidth, previewBoxHeight);
    const PreviewSize size = jf::fitPreview(m_ui.widthEdit->text(), m_ui.heightEdit->text());
    preview->resize(std::max(size.width, 0), std::max(size.height, 0));
    // The picture is placed in the cover's own proportions, as it prints.
    preview->setCoverSize(QSizeF(mmToCoverPixels(strToInt(m_ui.widthEdit->text())),
                                 mmToCoverPixels(strToInt(m_ui.heightEdit->text()))));
    showDisc();
}

void MainWindow::showDisc()
{
    const QSizeF typed(m_ui.widthEdit->text().toDouble(), m_ui.heightEdit->text().toDouble());
    m_preview->showDisc(isDiscKind(m_selectedKind) ? std::optional(typed) : std::nullopt);
}

void MainWindow::swapWidthAndHeight()
{
    const QString width = m_ui.widthEdit->text();
    const QString height = m_ui.heightEdit->text();
    setEditText(m_ui.widthEdit, height);
    setEditText(m_ui.heightEdit, width);
}

// ---- Favourites -------------------------------------------------------------

void MainWindow::addPicture()
{
    const QString path = m_pictureChooser->choose();
    if (path.isEmpty())
        return;
    // The file is neither loaded nor examined; only its name must fit on one
    // line of the list files.
    if (hasLineBreak(path))
        throw Error(QStringLiteral("This picture's file name contains a line break and "
                                   "cannot be kept in the list."));
    m_pictureList->append(displayNameFromPath(path), path);
}

void MainWindow::addProgram(const QString& commandLine, const QString& name)
{
    m_programList->append(name, commandLine);
}

void MainWindow::loadSelectedPicture()
{
    m_preview->load(m_pictureList->selectedPath());
}

void MainWindow::startSelectedProgram()
{
    platform().shell->startCommand(m_programList->selectedPath());
}

} // namespace jf
