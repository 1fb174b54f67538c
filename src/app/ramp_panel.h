// fraSetSoftRamp: the small panel over the window's client area on which the ramp time is set in
// whole seconds.
#pragma once

#include <QGroupBox>

#include "convert/segments.h"

class QLabel;
class QPushButton;
class QSlider;

namespace z2o {

class RampPanel : public QGroupBox {
    Q_OBJECT

  public:
    // The panel's place in the client area; its controls keep the sizes they were drawn with.
    static constexpr QRect kGeometry{32, 8, 169, 161};

    // OK stores into `settings.rampTime`, which the conversion reads.
    RampPanel(RampSettings& settings, QWidget* parent);

    // Shows the stored time on the label and the slider, then the panel, with the slider in focus.
    void open();
    // 0 OK: stores the slider's value; 1 Cancel: keeps the stored time. Either closes the panel.
    void Command1_Click(int index);

  signals:
    void closed();

  protected:
    // Return and Escape that no control of the panel takes, as a dialog treats them.
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void placeControls();
    void sldrRampTime_Change(int value);

    RampSettings& m_settings;
    QLabel* lblRmpTim;
    QSlider* sldrRampTime;
    QPushButton* m_buttons[2];
    QLabel* Label1 = nullptr;
};

}  // namespace z2o
