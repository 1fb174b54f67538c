#include "app/ramp_panel.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

namespace z2o {

RampPanel::RampPanel(RampSettings& settings, QWidget* parent)
    : QGroupBox(QStringLiteral("Default Soft on/off Ramp Time"), parent), m_settings(settings) {
    setObjectName(QStringLiteral("fraSetSoftRamp"));
    setAccessibleDescription(tr("Sets the length of the soft on and soft off ramps"));
    setGeometry(kGeometry);
    // An opaque panel over the list.
    setAutoFillBackground(true);
    // The panel's pixel layout was drawn for a small dialog font; keep its captions whole.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);

    lblRmpTim = new QLabel(QStringLiteral("5"), this);
    lblRmpTim->setObjectName(QStringLiteral("lblRmpTim"));
    lblRmpTim->setFixedSize(33, 17);
    lblRmpTim->setAlignment(Qt::AlignCenter);
    lblRmpTim->setAccessibleName(tr("Chosen ramp time"));
    lblRmpTim->setAccessibleDescription(tr("The ramp time on the slider, in seconds"));

    sldrRampTime = new QSlider(Qt::Horizontal, this);
    sldrRampTime->setObjectName(QStringLiteral("sldrRampTime"));
    sldrRampTime->setFixedSize(137, 33);
    sldrRampTime->setRange(0, 10);
    sldrRampTime->setSingleStep(1);
    sldrRampTime->setPageStep(5);
    sldrRampTime->setTickPosition(QSlider::TicksBelow);
    sldrRampTime->setTickInterval(1);
    sldrRampTime->setValue(5);
    sldrRampTime->setAccessibleName(tr("Ramp time in seconds"));
    sldrRampTime->setAccessibleDescription(tr("From 0 to 10 seconds; 0 switches ramps off"));
    // valueChanged covers dragging (the thumb tracks), keys and clicks beside the thumb.
    connect(sldrRampTime, &QSlider::valueChanged, this, &RampPanel::sldrRampTime_Change);

    // One control array: the index tells the handler which button it was.
    auto* group = new QButtonGroup(this);
    const char* const captions[] = {"OK", "Cancel"};
    const QString descriptions[] = {tr("Stores the ramp time and closes the panel"),
                                    tr("Closes the panel and keeps the stored ramp time")};
    for (int index = 0; index < 2; ++index) {
        auto* button = new QPushButton(QString::fromLatin1(captions[index]), this);
        button->setObjectName(QStringLiteral("Command1"));
        button->setProperty("index", index);
        button->setFixedSize(49, 25);
        button->setAccessibleDescription(descriptions[index]);
        // Return on a focused button presses that one, as in a dialog.
        button->setAutoDefault(true);
        group->addButton(button, index);
        m_buttons[index] = button;
    }
    m_buttons[0]->setDefault(true);
    connect(group, &QButtonGroup::idClicked, this, &RampPanel::Command1_Click);

    auto* label1 = new QLabel(QStringLiteral("Set to zero to disable soft (on/off)"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setFixedSize(113, 25);
    label1->setWordWrap(true);
    label1->setAccessibleDescription(tr("A ramp time of zero adds no ramps"));
    layOut(label1);
    placeControls();
    hide();
}

void RampPanel::layOut(QLabel* label1) {
    // Spacings that put each control where the panel was drawn: the label at 64,24, the slider
    // at 12,48, the buttons at 24,88 and 96,88, the caption below at 24,128.
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(7);
    layout->addWidget(lblRmpTim, 0, Qt::AlignHCenter);
    layout->addWidget(sldrRampTime);
    auto* lower = new QVBoxLayout;
    lower->setContentsMargins(12, 0, 0, 0);
    lower->setSpacing(15);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(23);
    buttons->addWidget(m_buttons[0]);
    buttons->addWidget(m_buttons[1]);
    buttons->addStretch(1);
    lower->addLayout(buttons);
    lower->addWidget(label1);
    layout->addLayout(lower);
    layout->addStretch(1);
}

void RampPanel::placeControls() {
    // The frame and its title already take their margins; the layout adds the rest.
    const QMargins frame = contentsMargins();
    layout()->setContentsMargins(std::max(0, 12 - frame.left()), std::max(0, 24 - frame.top()),
                                 std::max(0, 20 - frame.right()), 0);
}

void RampPanel::changeEvent(QEvent* event) {
    QGroupBox::changeEvent(event);
    if (layout() && (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange))
        placeControls();
}

void RampPanel::open() {
    const int seconds = m_settings.rampTime / 10;
    lblRmpTim->setText(QString::number(seconds));
    sldrRampTime->setValue(seconds);
    show();
    raise();
    sldrRampTime->setFocus();
}

void RampPanel::sldrRampTime_Change(int value) {
    lblRmpTim->setText(QString::number(value));
}

void RampPanel::Command1_Click(int index) {
    if (index == 0) m_settings.rampTime = static_cast<std::int16_t>(10 * sldrRampTime->value());
    hide();
    emit closed();
}

void RampPanel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_buttons[0]->click();
            break;
        case Qt::Key_Escape:
            m_buttons[1]->click();
            break;
        default:
            QGroupBox::keyPressEvent(event);
    }
}

}  // namespace z2o
