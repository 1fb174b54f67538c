// The lower half of the window: what a selected conversion made, or a session file, drawn over
// time, with its name above and the step the keys have reached below.
#pragma once

#include <QWidget>

#include "convert/segments.h"

class QLabel;

namespace z2o {

struct ConversionRow;
class SessionView;

class SessionPane : public QWidget {
    Q_OBJECT

  public:
    explicit SessionPane(QWidget* parent);

    // A converted row: its target with the roles its planning gave and the source beneath.
    // Any other row: an empty view that says why.
    void showRow(const ConversionRow& row);
    // An OSw file as it is, or a ZS2 file as it would be converted with `ramp`. False, and the
    // reason shown, when it cannot be read.
    bool showFile(const QString& path, const RampSettings& ramp);
    // An empty view with one line of hint.
    void showHint(const QString& hint);

    // The file drawn, or empty.
    const QString& shownPath() const { return m_shownPath; }
    SessionView* view() const { return m_view; }

  private:
    void showNothing(const QString& caption, const QString& why);

    QLabel* m_caption;
    SessionView* m_view;
    QLabel* m_stepText;
    QString m_shownPath;
};

}  // namespace z2o
