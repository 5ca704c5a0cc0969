#include "MainWindow.h"

#include "AppGlobals.h"
#include "CoverPrintJob.h"
#include "ErrorReport.h"
#include "NumberConvert.h"
#include "Platform.h"
#include "PreviewGeometry.h"
#include "TextFiles.h"
#include "TypingLimit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include <future>
#include <utility>

using jf::guard;
using jf::guarded;

namespace {

const QColor xHoverColour(0x80, 0x80, 0x80);

void setLabelColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

static void initResources()
{
    // The pictures are compiled into a static library, so they are
    // registered explicitly.
    Q_INIT_RESOURCE(resources);
}

MainWindow::MainWindow(QWidget* parent) : QWidget(parent)
{
    initResources();
    auto pictures = std::async(std::launch::async, &MainWindow::decodeWindowPictures);
    setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(701, 500);
    move(384, 280);

    QFont windowFont(QStringLiteral("Tahoma"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    for (QLabel* label : findChildren<QLabel*>())
        label->adjustSize();
    TypingLimit::apply(Edit_Width);
    TypingLimit::apply(Edit_Height);

    OpenDialog_PicturesLoad.filter = QStringLiteral("Bitmap|*.bmp|Graphic|*.jpg|Other|*.*");

    Timer1 = new QTimer(this);
    Timer1->setInterval(m_tipInterval);
    Timer1->start();

    Image_PanelButtonUP->setImage(QImage(QStringLiteral(":/pictures/button-up.png")));
    Image_PanelButtonDown->setImage(QImage(QStringLiteral(":/pictures/button-down.png")));
    createMenus();
    connectHandlers();

    loadWindowPictures(pictures.get());
    guarded([this] { FormCreate(); });
}

MainWindow::~MainWindow() = default;

namespace {

// The window pictures compiled into the program; JPEGs go through the same
// decoder as the user's pictures.
jf::Picture windowPicture(const char* name)
{
    const QString path = QStringLiteral(":/pictures/") + QLatin1String(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    try {
        return jf::loadPictureData(file.readAll(), jf::pictureExtension(path));
    } catch (const jf::Error&) {
        return jf::Picture::fromImage(QImage(path));
    }
}

} // namespace

MainWindow::WindowPictures MainWindow::decodeWindowPictures()
{
    // Runs beside the window's construction at start-up: decoding the large
    // pictures, already stretched to their controls, overlaps the font set-up.
    WindowPictures pictures;
    pictures.background = windowPicture("background.jpg");
    pictures.background.scaledTo(QSize(701, 500));
    pictures.panel = windowPicture("panel.jpg");
    pictures.panel.scaledTo(QSize(501, 390));
    pictures.placeholder = windowPicture("preview-empty.jpg");
    // Decodes the placeholder at the scale the preview box needs; fitting it
    // to the first cover's proportions then only rescales.
    pictures.placeholder.scaledTo(QSize(jf::previewBoxWidth, jf::previewBoxHeight));
    return pictures;
}

void MainWindow::loadWindowPictures(const WindowPictures& pictures)
{
    Image_BackGroundMain->setPicture(pictures.background);
    Image_Pannel->setPicture(pictures.panel);
    Image_PreviewEmpty->setPicture(pictures.placeholder);
    Image_Preview->setPicture(Image_PreviewEmpty->picture());
}

void MainWindow::createMenus()
{
    PopupMenu_Main = new QMenu(this);
    Print1 = PopupMenu_Main->addAction(QStringLiteral("Print"));
    Settings1 = PopupMenu_Main->addAction(QStringLiteral("Settings"));
    Close1 = PopupMenu_Main->addAction(QStringLiteral("Close"));

    PopupMenu_Cover = new QMenu(this);
    ImportImage1 = PopupMenu_Cover->addAction(QStringLiteral("Import Image"));
    DisposeImage1 = PopupMenu_Cover->addAction(QStringLiteral("Dispose Image"));
    ViewImage1 = PopupMenu_Cover->addAction(QStringLiteral("View Image"));
    ChangeHeighttoWidth1 = PopupMenu_Cover->addAction(QStringLiteral("Change Height to Width"));
    Image_Preview->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Image_Preview, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu_Cover->popup(Image_Preview->mapToGlobal(pos)); });
}

void MainWindow::connectHandlers()
{
    const std::array<ClickLabel*, 8> items{Label_Item1, Label_Item2, Label_Item3, Label_Item4,
                                           Label_Item5, Label_Item6, Label_Item7, Label_Item8};
    const std::array<ImageControl*, 8> buttons{Image_Button1, Image_Button2, Image_Button3,
                                               Image_Button4, Image_Button5, Image_Button6,
                                               Image_Button7, Image_Button8};
    using Handler = void (MainWindow::*)();
    const std::array<Handler, 8> itemHandlers{
        &MainWindow::Label_Item1Click, &MainWindow::Label_Item2Click, &MainWindow::Label_Item3Click,
        &MainWindow::Label_Item4Click, &MainWindow::Label_Item5Click, &MainWindow::Label_Item6Click,
        &MainWindow::Label_Item7Click, &MainWindow::Label_Item8Click};
    const std::array<Handler, 8> buttonHandlers{
        &MainWindow::Image_Button1Click, &MainWindow::Image_Button2Click,
        &MainWindow::Image_Button3Click, &MainWindow::Image_Button4Click,
        &MainWindow::Image_Button5Click, &MainWindow::Image_Button6Click,
        &MainWindow::Image_Button7Click, &MainWindow::Image_Button8Click};
    for (std::size_t i = 0; i < items.size(); ++i) {
        connect(items[i], &ClickLabel::clicked, this, guard(this, itemHandlers[i]));
        connect(buttons[i], &ImageControl::clicked, this, guard(this, buttonHandlers[i]));
    }

    connect(Label_Save, &ClickLabel::clicked, this, guard(this, &MainWindow::Label_SaveClick));
    connect(Label_DefaultSettings, &ClickLabel::clicked, this,
            guard(this, &MainWindow::Label_DefaultSettingsClick));
    connect(Label_Close, &ClickLabel::clicked, this, guard(this, &MainWindow::Label_CloseClick));
    connect(Label_X, &ClickLabel::clicked, this, guard(this, &MainWindow::Label_XClick));
    connect(Label_X, &ClickLabel::mouseEntered, this, guard(this, &MainWindow::Label_XMouseEnter));
    connect(Label_X, &ClickLabel::mouseLeft, this, guard(this, &MainWindow::Label_XMouseLeave));
    connect(Label_Wizard, &ClickLabel::clicked, this, guard(this, &MainWindow::Label_WizardClick));
    connect(Label_PrintCover, &ClickLabel::clicked, this,
            guard(this, &MainWindow::Label_PrintCoverClick));
    connect(Print1, &QAction::triggered, this, guard(this, &MainWindow::Print1Click));
    connect(Settings1, &QAction::triggered, this, guard(this, &MainWindow::Settings1Click));
    connect(Close1, &QAction::triggered, this, guard(this, &MainWindow::Close1Click));

    connect(Edit_Width, &QLineEdit::textChanged, this, [this] { editChanged(Edit_Width); });
    connect(Edit_Height, &QLineEdit::textChanged, this, [this] { editChanged(Edit_Height); });
    Edit_Width->installEventFilter(this);
    Edit_Height->installEventFilter(this);

    connect(Label_Import, &ClickLabel::clicked, this, guard(this, &MainWindow::Label_ImportClick));
    connect(Label_Dispose, &ClickLabel::clicked, this,
            guard(this, &MainWindow::Label_DisposeClick));
    connect(Label_ViewImage, &ClickLabel::clicked, this,
            guard(this, &MainWindow::Label_ViewImageClick));
    connect(ImportImage1, &QAction::triggered, this, guard(this, &MainWindow::Label_ImportClick));
    connect(DisposeImage1, &QAction::triggered, this, guard(this, &MainWindow::Label_DisposeClick));
    connect(ViewImage1, &QAction::triggered, this, guard(this, &MainWindow::Label_ViewImageClick));
    connect(ChangeHeighttoWidth1, &QAction::triggered, this,
            guard(this, &MainWindow::ChangeHeighttoWidth1Click));

    connect(Timer1, &QTimer::timeout, this, guard(this, &MainWindow::Timer1Timer));

    connect(Image_BackGroundMain, &ImageControl::mousePressed, this,
            guard(this, &MainWindow::Image_BackGroundMainMouseDown));
    connect(Image_BackGroundMain, &ImageControl::mouseMoved, this,
            guard(this, &MainWindow::Image_BackGroundMainMouseMove));
    connect(Image_BackGroundMain, &ImageControl::mouseReleased, this,
            guard(this, &MainWindow::Image_BackGroundMainMouseUp));
}

// ---- Start-up and shutdown -------------------------------------------------

std::array<std::pair<QListWidget*, const char*>, 4> MainWindow::favouritesFiles() const
{
    // The four favourites lists and their files, in the order they are read
    // at start-up and written at closing.
    return {{{ListBox_ProgramsNames, jf::datafile::programsNames},
             {ListBox_ProgramsPaths, jf::datafile::programsPaths},
             {ListBox_PicturesNames, jf::datafile::picturesNames},
             {ListBox_PicturesPaths, jf::datafile::picturesPaths}}};
}

void MainWindow::FormCreate()
{
    CurrentItem = 0;
    BaseDir = jf::currentBaseDir();

    for (const auto& [list, file] : favouritesFiles()) {
        list->clear();
        list->addItems(jf::readListFile(jf::dataPath(BaseDir, file)));
    }

    ReadSettings();
    ReadNames();
    ReadAdvancedSettings();
    ReadTips();
    ChangePannel(1);
}

namespace {

QStringList listEntries(const QListWidget* list)
{
    QStringList entries;
    entries.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

} // namespace

void MainWindow::FormClose()
{
    for (const auto& [list, file] : favouritesFiles())
        jf::writeListFile(jf::dataPath(BaseDir, file), listEntries(list));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    bool written = false;
    guarded([&] {
        FormClose();
        written = true;
    });
    if (!written) {
        // A list could not be saved: the window stays open so nothing is lost.
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

void MainWindow::Label_CloseClick()
{
    close();
}

void MainWindow::Label_XClick()
{
    close();
}

void MainWindow::Close1Click()
{
    close();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event)
{
    PopupMenu_Main->popup(event->globalPos());
    event->accept();
}

// ---- Data files -----------------------------------------------------------

void MainWindow::ReadSettings()
{
    jf::CoverSizes sizes;
    sizes.widths = ItemWidths;
    sizes.heights = ItemHeights;
    // Values are kept as they are read, so a failure part-way leaves the
    // kinds before it updated.
    struct Commit
    {
        MainWindow* form;
        jf::CoverSizes& sizes;
        ~Commit()
        {
            form->ItemWidths = sizes.widths;
            form->ItemHeights = sizes.heights;
        }
    } commit{this, sizes};
    jf::readSizesFile(jf::dataPath(BaseDir, jf::datafile::sizes), sizes);
}

void MainWindow::SaveSettings()
{
    jf::CoverSizes sizes;
    sizes.widths = ItemWidths;
    sizes.heights = ItemHeights;
    jf::writeSizesFile(jf::dataPath(BaseDir, jf::datafile::sizes), sizes);
}

void MainWindow::ReadNames()
{
    const QStringList names = jf::readNamesFile(jf::dataPath(BaseDir, jf::datafile::names));
    const std::array<QLabel*, 8> labels{Label_Item1, Label_Item2, Label_Item3, Label_Item4,
                                        Label_Item5, Label_Item6, Label_Item7, Label_Item8};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        labels[i]->setText(names.value(qsizetype(i)));
        labels[i]->adjustSize();
    }
}

void MainWindow::ReadAdvancedSettings()
{
    jf::AdvancedSettingsSink sink;
    sink.borderWidth = [](std::uint8_t width) { jf::globals().borderWidth = width; };
    sink.borderColour = [](const QString& colour) { jf::globals().borderColour = colour; };
    sink.tipInterval = [this](std::int32_t interval) { setTipInterval(interval); };
    jf::readAdvancedSettingsFile(jf::dataPath(BaseDir, jf::datafile::settings), sink);
}

void MainWindow::ReadTips()
{
    TipLines.clear();
    Memo_Tips->clear();
    struct Sync
    {
        MainWindow* form;
        ~Sync() { form->Memo_Tips->setPlainText(form->TipLines.join(QLatin1Char('\n'))); }
    } sync{this};
    jf::readTipsFile(jf::dataPath(BaseDir, jf::datafile::tips),
                     [this](const QString& line) { TipLines << line; });
}

// ---- Cover selection --------------------------------------------------------

void MainWindow::editChanged(QLineEdit* edit)
{
    const auto handler = [this, edit] {
        if (edit == Edit_Width)
            Edit_WidthChange();
        else
            Edit_HeightChange();
    };
    if (!m_settingText) {
        guarded(handler); // typed or pasted by the user
        return;
    }
    // The program set the text: a failure belongs to the operation that set
    // it, which goes on from setEditText once Qt's signal has returned.
    try {
        handler();
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

void MainWindow::ChangePannel(std::uint8_t kind)
{
    // Re-selecting while nothing is selected (after a failed read) selects
    // nothing: there is no stored entry to show.
    if (kind < 1 || kind > jf::coverKindCount)
        return;

    if (CurrentItem != 0) {
        ItemHeights[CurrentItem] = jf::strToInt(Edit_Height->text());
        ItemWidths[CurrentItem] = jf::strToInt(Edit_Width->text());
    }

    const std::array<ImageControl*, 8> buttons{Image_Button1, Image_Button2, Image_Button3,
                                               Image_Button4, Image_Button5, Image_Button6,
                                               Image_Button7, Image_Button8};
    for (ImageControl* button : buttons)
        button->setPicture(Image_PanelButtonUP->picture());
    buttons[kind - 1]->setPicture(Image_PanelButtonDown->picture());

    setEditText(Edit_Height, jf::intToStr(ItemHeights[kind]));
    setEditText(Edit_Width, jf::intToStr(ItemWidths[kind]));
    CurrentItem = kind;
}

void MainWindow::Label_SaveClick()
{
    SaveSettings();
}

void MainWindow::Label_DefaultSettingsClick()
{
    ReadSettings();
    const std::uint8_t kind = CurrentItem;
    CurrentItem = 0;
    ChangePannel(kind);
}

void MainWindow::digitFilter(QChar& key)
{
    if (key != QChar(8) && (key < QLatin1Char('0') || key > QLatin1Char('9')))
        key = QChar();
}

void MainWindow::Edit_WidthKeyPress(QChar& key)
{
    digitFilter(key);
}

void MainWindow::Edit_HeightKeyPress(QChar& key)
{
    digitFilter(key);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == Edit_Width || watched == Edit_Height)) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const QString text = keyEvent->text();
        const bool shortcut =
            keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (text.isEmpty() || shortcut || keyEvent->key() == Qt::Key_Delete ||
            keyEvent->key() == Qt::Key_Tab || keyEvent->key() == Qt::Key_Backtab)
            return QWidget::eventFilter(watched, event);
        for (QChar c : text) {
            QChar key = c;
            guarded([&] {
                if (watched == Edit_Width)
                    Edit_WidthKeyPress(key);
                else
                    Edit_HeightKeyPress(key);
            });
            if (key.isNull())
                return true; // discarded before it reaches the box
            if (key != QChar(8) && !TypingLimit::roomForOneMore(static_cast<QLineEdit*>(watched)))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Preview ----------------------------------------------------------------

void MainWindow::Edit_WidthChange()
{
    const QString h = Edit_Height->text();
    const QString w = Edit_Width->text();
    if (!h.isEmpty() && !w.isEmpty() && h != QLatin1String("0") && w != QLatin1String("0"))
        ChangePreviewSize();
}

void MainWindow::Edit_HeightChange()
{
    Edit_WidthChange();
}

void MainWindow::ChangePreviewSize()
{
    Image_Preview->resize(jf::previewBoxWidth, jf::previewBoxHeight);
    const jf::PreviewSize size = jf::fitPreview(Edit_Width->text(), Edit_Height->text());
    Image_Preview->resize(std::max(size.width, 0), std::max(size.height, 0));
}

void MainWindow::LoadPreview(const QString& path)
{
    const jf::Picture picture = jf::loadPicture(path);
    Image_Preview->setPicture(picture);
    jf::globals().currentImagePath = path;
}

void MainWindow::Label_ImportClick()
{
    jf::OpenFileRequest request;
    request.filter = OpenDialog_PicturesLoad.filter;
    request.filterIndex = OpenDialog_PicturesLoad.filterIndex;
    request.initialFile = OpenDialog_PicturesLoad.fileName;
    request.fileMustExist = true;
    const auto chosen = jf::platform().fileDialog->openFile(this, request);
    if (!chosen)
        return;
    OpenDialog_PicturesLoad.fileName = chosen->path;
    OpenDialog_PicturesLoad.filterIndex = chosen->filterIndex;
    LoadPreview(chosen->path);
}

void MainWindow::Label_DisposeClick()
{
    Image_Preview->setPicture(Image_PreviewEmpty->picture());
}

void MainWindow::Label_ViewImageClick()
{
    jf::platform().shell->openDocument(jf::globals().currentImagePath);
}

void MainWindow::ChangeHeighttoWidth1Click()
{
    const QString width = Edit_Width->text();
    const QString height = Edit_Height->text();
    setEditText(Edit_Width, height);
    setEditText(Edit_Height, width);
}

// ---- Printing ---------------------------------------------------------------

void MainWindow::ConPrint()
{
    if (!m_printWindow)
        return;
    const auto& g = jf::globals();
    jf::runCoverPrintJob(this, Edit_Height->text(), Edit_Width->text(), Image_Preview->picture(),
                         g.borderWidth, g.borderColour, *m_printWindow);
}

void MainWindow::Print1Click()
{
    ConPrint();
}

void MainWindow::Label_PrintCoverClick()
{
    ConPrint();
}

void MainWindow::Label_WizardClick()
{
    jf::runPrinterSetup(this);
}

// ---- Settings ---------------------------------------------------------------

void MainWindow::Settings1Click() {}

// ---- Tips -----------------------------------------------------------------

void MainWindow::setTipInterval(std::int32_t milliseconds)
{
    if (milliseconds == m_tipInterval)
        return;
    m_tipInterval = milliseconds;
    if (milliseconds <= 0) {
        Timer1->stop();
        return;
    }
    Timer1->start(milliseconds);
}

void MainWindow::Timer1Timer()
{
    auto& index = jf::globals().tipIndex;
    const qsizetype count = TipLines.size();
    // The index is 8-bit; past the 128th tip the rotation starts again.
    index = index >= 127 ? std::int8_t(0) : std::int8_t(index + 1);
    if (index >= count)
        index = 0;
    Label_Tips->setText(count == 0 ? QString() : TipLines[index]);
    Label_Tips->adjustSize();
}

// ---- Window frame -----------------------------------------------------------

void MainWindow::Label_XMouseEnter()
{
    setLabelColour(Label_X, xHoverColour);
}

void MainWindow::Label_XMouseLeave()
{
    setLabelColour(Label_X, Qt::black);
}

void MainWindow::Image_BackGroundMainMouseDown(Qt::MouseButton, QPoint pos)
{
    auto& g = jf::globals();
    g.dragOriginX = static_cast<std::int16_t>(pos.x());
    g.dragOriginY = static_cast<std::int16_t>(pos.y());
    g.dragActive = true;
}

void MainWindow::Image_BackGroundMainMouseMove(QPoint pos)
{
    const auto& g = jf::globals();
    if (!g.dragActive)
        return;
    move(x() + pos.x() - g.dragOriginX, y() + pos.y() - g.dragOriginY);
}

void MainWindow::Image_BackGroundMainMouseUp(Qt::MouseButton, QPoint)
{
    jf::globals().dragActive = false;
}
