#include "CalibrationWindow.h"

#include "DisplayText.h"
#include "ToolWindow.h"

#include <QCloseEvent>
#include <QRegularExpressionValidator>

namespace jf {

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
    setFixedSize(340, 330);
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
    jf::closeOnEscape(this);
    // The typing point starts in the first box, Tab goes on to the captions.
    m_ui.widthEdit->setFocus();
}

CalibrationWindow::~CalibrationWindow() = default;

void CalibrationWindow::open(const QString& printer,
                             const std::optional<jf::PrinterCorrection>& saved, QPointF areaCorner)
{
    m_printer = printer;
    m_saved = saved;
    m_ui.printerLabel->setText(QStringLiteral("Printer: %1").arg(printer));
    m_ui.statusLabel->clear();
    if (saved) {
        // The rectangle's edges land at the printable corner + offset +
        // the inset as the printer scales it.
        const double left = areaCorner.x() + saved->offsetX +
                            saved->measuredWidth / jf::calibrationWidthMm * jf::calibrationInsetMm;
        const double top = areaCorner.y() + saved->offsetY +
                           saved->measuredHeight / jf::calibrationHeightMm * jf::calibrationInsetMm;
        m_ui.widthEdit->setText(shownMillimetres(saved->measuredWidth));
        m_ui.heightEdit->setText(shownMillimetres(saved->measuredHeight));
        m_ui.leftEdit->setText(saved->offsetX != 0 ? shownMillimetres(left) : QString());
        m_ui.topEdit->setText(saved->offsetY != 0 ? shownMillimetres(top) : QString());
    } else {
        clearMeasurements();
    }
    m_shown = measurements();
    jf::showToolWindow(this, m_mainWindow, m_mainWindow->pos() + QPoint(130, 90));
}

jf::CalibrationMeasurements CalibrationWindow::measurements() const
{
    return {m_ui.widthEdit->text(), m_ui.heightEdit->text(), m_ui.leftEdit->text(),
            m_ui.topEdit->text()};
}

std::optional<jf::PrinterCorrection> CalibrationWindow::unchangedSaved() const
{
    const jf::CalibrationMeasurements now = measurements();
    if (now.width != m_shown.width || now.height != m_shown.height || now.left != m_shown.left ||
        now.top != m_shown.top)
        return std::nullopt;
    return m_saved;
}

void CalibrationWindow::showStatus(const QString& text)
{
    m_ui.statusLabel->setText(text);
}

void CalibrationWindow::clearMeasurements()
{
    for (QLineEdit* edit : {m_ui.widthEdit, m_ui.heightEdit, m_ui.leftEdit, m_ui.topEdit})
        edit->clear();
    m_saved.reset();
    m_shown = measurements();
}

void CalibrationWindow::closeEvent(QCloseEvent* event)
{
    jf::closeToolWindow(this, m_mainWindow);
    event->accept();
}

} // namespace jf
