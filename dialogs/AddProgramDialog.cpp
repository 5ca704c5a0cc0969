#include "AddProgramDialog.h"

#include "ErrorReport.h"
#include "Favourites.h"
#include "Platform.h"
#include "SingleLineText.h"
#include "ToolWindow.h"

#include <QCloseEvent>

namespace jf {

AddProgramDialog::AddProgramDialog(QWidget* mainWindow)
    : QWidget(nullptr, jf::toolWindowFlags), m_mainWindow(mainWindow)
{
    m_ui.setupUi(this);
    setWindowTitle(jf::applicationTitle());
    setFixedSize(354, 135);
    jf::applyToolWindowLook(this);
    for (QLabel* label : findChildren<QLabel*>())
        label->adjustSize();
    SingleLineText::applyToAll(this);

    connect(m_ui.browseLabel, &ClickLabel::clicked, this,
            jf::guard(this, &AddProgramDialog::browse));
    connect(m_ui.okLabel, &ClickLabel::clicked, this, jf::guard(this, &AddProgramDialog::accept));
    connect(m_ui.cancelLabel, &ClickLabel::clicked, this, &QWidget::close);
    jf::closeOnEscape(this);
}

AddProgramDialog::~AddProgramDialog() = default;

void AddProgramDialog::open()
{
    jf::showToolWindow(this, m_mainWindow, QPoint(0, 0));
}

void AddProgramDialog::browse()
{
    jf::OpenFileRequest request;
    request.filter = QStringLiteral("Programs|*");
    request.executablesOnly = true;
    request.fileMustExist = false;
    request.initialFile = m_lastChosen;
    const auto chosen = jf::platform().fileDialog->openFile(this, request);
    if (!chosen)
        return;
    m_lastChosen = chosen->path;
    m_ui.programPathEdit->setText(chosen->path);
    // A name the user typed stays, even one differing only in letter case.
    if (m_ui.programNameEdit->text() == defaultName())
        m_ui.programNameEdit->setText(jf::programNameFromPath(chosen->path));
}

void AddProgramDialog::accept()
{
    emit programChosen(m_ui.programPathEdit->text(), m_ui.programNameEdit->text());
    close();
}

void AddProgramDialog::closeEvent(QCloseEvent* event)
{
    m_ui.programPathEdit->clear();
    m_ui.programNameEdit->setText(defaultName());
    jf::closeToolWindow(this, m_mainWindow);
    event->accept();
}

} // namespace jf
