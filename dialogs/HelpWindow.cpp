#include "HelpWindow.h"

#include "ToolWindow.h"
#include "WindowLook.h"

#include <QCloseEvent>
#include <QFile>

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void initHelpResources()
{
    // The text is compiled into a static library, so it is registered
    // explicitly.
    Q_INIT_RESOURCE(dialogs);
}

namespace jf {

namespace {

QString helpDocument()
{
    QFile file(QStringLiteral(":/text/HelpText.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    // The last line ends like every other; an empty line after it is no part
    // of the document.
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, jf::toolWindowFlags)
{
    initHelpResources();
    m_ui.setupUi(this);
    setFixedSize(502, 390);

    setFont(jf::windowFont());
    m_ui.titleLabel->adjustSize();

    QTextEdit* text = m_ui.helpText;
    QPalette palette = text->palette();
    palette.setColor(QPalette::Base, jf::scrollBarColour());
    text->setPalette(palette);
    // Tab stops half an inch apart, as the text was laid out for.
    text->setTabStopDistance(48);
    text->setPlainText(helpDocument());
    text->setFocus();
    jf::closeOnEscape(this);
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::open(QWidget* mainWindow, const QPoint& topLeft, const jf::Picture& panel)
{
    m_mainWindow = mainWindow;
    m_ui.panelImage->setPicture(panel);
    jf::showToolWindow(this, mainWindow, topLeft);
}

void HelpWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_mainWindow)
        jf::closeToolWindow(this, m_mainWindow);
}

} // namespace jf
