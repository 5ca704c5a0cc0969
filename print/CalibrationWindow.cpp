#include "CalibrationWindow.h"

#include "DisplayText.h"
#include "ToolWindow.h"

#include <QCloseEvent>
#include <QRegularExpressionValidator>

namespace {

QString shownMillimetres(double value)
{
    return QString::number(value, 'f', 1);
}

} // namespace

CalibrationWindow::CalibrationWindow(QWidget* mainWindow)
    : QWidget(nullptr, jf::toolWindowFlags), m_mainWindow(mainWindow)
{
    m_ui.setupUi(this);
    setWindowTitle(QStringLiteral("Calibrate Printer"));
    setFixedSize(300, 215);
    jf::applyToolWindowLook(this);
    m_ui.closeMark->setHoverColour(QColor(0x80, 0x80, 0x80));

    // Millimetres with one decimal, either separator.
    const QRegularExpression millimetres(QStringLiteral("\\d{0,3}([.,]\\d?)?"));
    for (QLineEdit* edit : {m_ui.widthEdit, m_ui.heightEdit, m_ui.leftEdit, m_ui.topEdit})
        edit->setValidator(new QRegularExpressionValidator(millimetres, edit));

    connect(m_ui.printPageLabel, &ClickLabel::clicked, this,
            &CalibrationWindow::printPageRequested);
    connect(m_ui.saveLabel, &ClickLabel::clicked, this, &CalibrationWindow::saveRequested);
    connect(m_ui.resetLabel, &ClickLabel::clicked, this, &CalibrationWindow::resetRequested);
    connect(m_ui.closeLabel, &ClickLabel::clicked, this, &QWidget::close);
}

CalibrationWindow::~CalibrationWindow() = default;

void CalibrationWindow::open(const QString& printer,
                             const std::optional<jf::PrinterCorrection>& saved)
{
    m_printer = printer;
    m_ui.printerLabel->setText(QStringLiteral("Printer: %1").arg(printer));
    m_ui.widthEdit->setText(saved ? shownMillimetres(saved->measuredWidth) : QString());
    m_ui.heightEdit->setText(saved ? shownMillimetres(saved->measuredHeight) : QString());
    m_ui.leftEdit->clear();
    m_ui.topEdit->clear();
    for (QLabel* label : findChildren<QLabel*>())
        label->adjustSize();
    jf::showToolWindow(this, m_mainWindow, m_mainWindow->pos() + QPoint(130, 90));
}

jf::CalibrationMeasurements CalibrationWindow::measurements() const
{
    return {m_ui.widthEdit->text(), m_ui.heightEdit->text(), m_ui.leftEdit->text(),
            m_ui.topEdit->text()};
}

void CalibrationWindow::closeEvent(QCloseEvent* event)
{
    jf::closeToolWindow(this, m_mainWindow);
    event->accept();
}
