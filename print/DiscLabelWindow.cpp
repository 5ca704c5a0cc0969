#include "DiscLabelWindow.h"

#include "DigitFilter.h"
#include "Platform.h"

#include <QHideEvent>
#include <QKeyEvent>

namespace jf {

DiscLabelWindow::DiscLabelWindow(QWidget* parent) : QDialog(parent, Qt::Window)
{
    m_ui.setupUi(this);
    setWindowTitle(QStringLiteral("Disc Label \u2014 ") + jf::applicationTitle());
    setModal(false);
    jf::DigitFilter::install(m_ui.holeEdit);
    m_ui.holeEdit->installEventFilter(this); // after the digit filter: asked first
    connect(m_ui.holeEdit, &QLineEdit::editingFinished, this, &DiscLabelWindow::holeTyped);
    for (auto [button, millimetres] : {std::pair{m_ui.hole41Button, 41},
                                       {m_ui.hole22Button, 22},
                                       {m_ui.hole17Button, 17},
                                       {m_ui.hole0Button, 0}}) {
        connect(button, &QPushButton::clicked, this, [this, millimetres = millimetres] {
            m_ui.holeEdit->setText(QString::number(millimetres));
            holeTyped();
        });
    }
    connect(m_ui.trayBox, &QCheckBox::toggled, this, [this] { emit settingsChanged(settings()); });
    for (QSpinBox* box : {m_ui.offsetXBox, m_ui.offsetYBox})
        connect(box, &QSpinBox::valueChanged, this, [this] { emit settingsChanged(settings()); });
    connect(m_ui.printTestButton, &QPushButton::clicked, this,
            &DiscLabelWindow::printTestRequested);
    connect(m_ui.closeButton, &QPushButton::clicked, this, &QWidget::close);
    m_ui.holeEdit->setAccessibleName(QStringLiteral("Hole diameter in millimetres"));
    enableTray(false);
}

DiscLabelWindow::~DiscLabelWindow() = default;

void DiscLabelWindow::holeTyped()
{
    const QString text = m_ui.holeEdit->text().trimmed();
    bool ok = false;
    const int millimetres = text.toInt(&ok);
    // An emptied box (or pasted text) changes nothing: the hole in force
    // shows again.
    if (!ok) {
        showHole(m_hole);
        return;
    }
    if (millimetres == m_hole)
        showHole(m_hole);
    else
        emit holeChosen(millimetres);
}

void DiscLabelWindow::showHole(int millimetres)
{
    m_hole = millimetres;
    m_ui.holeEdit->setText(QString::number(millimetres));
}

void DiscLabelWindow::showPrinter(const QString& printer, const jf::DiscPrinterSettings& settings)
{
    m_ui.printerLabel->setText(
        QStringLiteral("Printer: %1")
            .arg(printer.isEmpty() ? QStringLiteral("Print to File (PDF)") : printer));
    m_ui.statusLabel->clear();
    m_ui.reasonLabel->setText(QStringLiteral("Looking up the printer's disc tray\u2026"));
    enableTray(false);
    showSettings(settings);
}

void DiscLabelWindow::showSettings(const jf::DiscPrinterSettings& settings)
{
    m_shown = settings;
    const QSignalBlocker quietTray(m_ui.trayBox);
    const QSignalBlocker quietX(m_ui.offsetXBox);
    const QSignalBlocker quietY(m_ui.offsetYBox);
    m_ui.trayBox->setChecked(settings.tray && m_ui.trayBox->isEnabled());
    m_ui.offsetXBox->setValue(settings.offsetX);
    m_ui.offsetYBox->setValue(settings.offsetY);
}

void DiscLabelWindow::showTray(const QString& missing)
{
    m_ui.reasonLabel->setText(missing);
    m_ui.reasonLabel->setVisible(!missing.isEmpty());
    enableTray(missing.isEmpty());
}

void DiscLabelWindow::enableTray(bool enabled)
{
    for (QWidget* control : std::initializer_list<QWidget*>{m_ui.trayBox, m_ui.offsetXCaption,
                                                            m_ui.offsetXBox, m_ui.offsetYCaption,
                                                            m_ui.offsetYBox, m_ui.printTestButton})
        control->setEnabled(enabled);
    // The box is off for a printer without a tray; its choice stays kept.
    const QSignalBlocker quiet(m_ui.trayBox);
    m_ui.trayBox->setChecked(enabled && m_shown.tray);
}

void DiscLabelWindow::showStatus(const QString& text)
{
    m_ui.statusLabel->setText(text);
}

jf::DiscPrinterSettings DiscLabelWindow::settings() const
{
    return {m_ui.offsetXBox->value(), m_ui.offsetYBox->value(), m_ui.trayBox->isChecked()};
}

bool DiscLabelWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.holeEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            holeTyped();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DiscLabelWindow::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // Closed (Escape, "Close" or its X): the main window takes the keys
    // again, its focus where it was.
    QWidget* owner = parentWidget();
    if (!event->spontaneous() && owner && owner->isVisible())
        owner->activateWindow();
}

} // namespace jf
