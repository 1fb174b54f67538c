#include "app/ramp_panel.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace z2o {
namespace {

// At least its drawn size, and as much more as the style's margins leave its text short: the
// style's usual minimum width for a button is wider than the panel was drawn for.
QSize buttonSize(const QPushButton* button, QSize drawn) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.features = QStyleOptionButton::AutoDefaultButton;
    option.text = button->text();
    option.rect = QRect(QPoint(), drawn);
    const QRect contents =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    return drawn + (text - contents.size()).expandedTo({0, 0});
}

}  // namespace

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
    lblRmpTim->setAlignment(Qt::AlignCenter);
    lblRmpTim->setAccessibleName(tr("Chosen ramp time"));
    lblRmpTim->setAccessibleDescription(tr("The ramp time on the slider, in seconds"));

    sldrRampTime = new QSlider(Qt::Horizontal, this);
    sldrRampTime->setObjectName(QStringLiteral("sldrRampTime"));
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
        button->setAccessibleDescription(descriptions[index]);
        // Return on a focused button presses that one, as in a dialog.
        button->setAutoDefault(true);
        group->addButton(button, index);
        m_buttons[index] = button;
    }
    m_buttons[0]->setDefault(true);
    connect(group, &QButtonGroup::idClicked, this, &RampPanel::Command1_Click);

    Label1 = new QLabel(QStringLiteral("Set to zero to disable soft (on/off)"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAccessibleDescription(tr("A ramp time of zero adds no ramps"));
    placeControls();
    hide();
}

void RampPanel::placeControls() {
    // Each control where it was drawn and at least its drawn size, larger only where its text
    // needs it; what lies below or to the right of a grown control moves by as much.
    const auto sized = [](QWidget* widget, int width, int height) {
        return widget->sizeHint().expandedTo(QSize(width, height));
    };
    // Below the title, however high the font makes it.
    const int top = std::max(24, contentsRect().top());
    const QSize slider = sized(sldrRampTime, 137, 33);
    // Wide enough for the longest time, so that it never needs to grow as the slider moves.
    const QSize label = lblRmpTim->fontMetrics().size(0, QStringLiteral("10")).expandedTo({33, 17});
    // The time stays centred over the slider.
    lblRmpTim->setGeometry(QRect(QPoint(12 + (slider.width() - label.width()) / 2, top), label));
    sldrRampTime->setGeometry(QRect(QPoint(12, lblRmpTim->geometry().bottom() + 1 + 7), slider));
    const int buttonsTop = sldrRampTime->geometry().bottom() + 1 + 7;
    const QSize ok = buttonSize(m_buttons[0], {49, 25});
    const QSize cancel = buttonSize(m_buttons[1], {49, 25});
    const int buttonHeight = std::max(ok.height(), cancel.height());
    m_buttons[0]->setGeometry(24, buttonsTop, ok.width(), buttonHeight);
    m_buttons[1]->setGeometry(m_buttons[0]->geometry().right() + 1 + 23, buttonsTop, cancel.width(),
                              buttonHeight);
    // The hint wraps at its drawn width, or under the buttons when they have grown wider.
    const int hintWidth = std::max(113, m_buttons[1]->geometry().right() + 1 - 8 - 24);
    Label1->setGeometry(24, m_buttons[0]->geometry().bottom() + 1 + 15, hintWidth,
                        std::max(25, Label1->heightForWidth(hintWidth)));

    // The frame around them with the margins it was drawn with, and wide enough for its title.
    const int right =
        std::max({sldrRampTime->geometry().right() + 1 + 20,
                  m_buttons[1]->geometry().right() + 1 + 24, Label1->geometry().right() + 1 + 32});
    resize(std::max({kGeometry.width(), right, minimumSizeHint().width()}),
           std::max(kGeometry.height(), Label1->geometry().bottom() + 1 + 8));
}

void RampPanel::changeEvent(QEvent* event) {
    QGroupBox::changeEvent(event);
    if (Label1 && (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange))
        placeControls();
}

void RampPanel::open() {
    const int seconds = m_settings.rampTime / 10;
    lblRmpTim->setText(QString::number(seconds));
    sldrRampTime->setValue(seconds);
    // The client area keeps room for the panel whole, however large its texts have made it.
    if (QWidget* area = parentWidget()) {
        area->setMinimumSize(area->minimumSize().expandedTo(
            QSize(geometry().right() + 1 + x(), geometry().bottom() + 1 + y())));
    }
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
