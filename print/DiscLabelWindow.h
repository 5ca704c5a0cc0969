#pragma once

#include "DiscFiles.h"
#include "ui_DiscLabelWindow.h"

#include <QDialog>

namespace jf {

// "Disc Label...": the hole's diameter (typed, digits only, or one of the
// usual sizes 41, 22, 17 and 0 at a click), and for the current printer
// whether disc labels print on its disc tray and the correction of where
// its prints land on the disc, with "Print Disc Test" to measure it. The
// tray's choices are disabled, with a one-line reason, for a printer
// without a disc tray. A normal window that blocks nothing; Escape closes
// it. What the choices do is the owner's business, told through the
// signals.
class DiscLabelWindow : public QDialog
{
    Q_OBJECT

public:
    explicit DiscLabelWindow(QWidget* parent = nullptr);
    ~DiscLabelWindow() override;

    // Shows the hole in force.
    void showHole(int millimetres);
    // Shows `printer` with its settings; the tray's choices stay disabled
    // until showTray tells what it offers.
    void showPrinter(const QString& printer, const jf::DiscPrinterSettings& settings);
    // Shows the printer's settings in force (after a change was refused).
    void showSettings(const jf::DiscPrinterSettings& settings);
    // The printer has a disc tray (`missing` empty), or why not: the tray's
    // choices are enabled, or disabled with the reason shown.
    void showTray(const QString& missing);
    // Shows `text` in the window's own text line.
    void showStatus(const QString& text);
    jf::DiscPrinterSettings settings() const;

signals:
    void holeChosen(int millimetres);
    // The tray box or a correction changed.
    void settingsChanged(const jf::DiscPrinterSettings& settings);
    void printTestRequested();

protected:
    void hideEvent(QHideEvent* event) override;
    // Return or Enter in the hole's box takes the hole typed (the digit
    // filter lets no such key through to the box).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void holeTyped();
    void enableTray(bool enabled);

    Ui::DiscLabelWindow m_ui;
    int m_hole = jf::defaultDiscHoleMm;
    jf::DiscPrinterSettings m_shown;
};

} // namespace jf
