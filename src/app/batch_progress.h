// The status line's part of a batch of sessions: how many are done of all, about how long the
// rest will take, and Stop.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QProgressBar;
class QPushButton;

namespace z2o {

class BatchProgress : public QWidget {
    Q_OBJECT

  public:
    explicit BatchProgress(QWidget* parent);

    // `done` of `count` sessions; shows itself once a batch holds more than one.
    void setProgress(int done, int count);
    // Hides itself and forgets the batch's clock.
    void finish();
    // Stop, or Escape while a batch runs: asks once.
    void stop();

  signals:
    void stopRequested();

  private:
    void update();

    QProgressBar* m_bar;
    QPushButton* m_stop;
    QElapsedTimer m_clock;
    int m_done = 0;
    int m_count = 0;
    bool m_updatePending = false;
};

}  // namespace z2o
