#include "app/batch_progress.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace z2o {
namespace {

QString remainingText(qint64 milliseconds) {
    const qint64 seconds = (milliseconds + 999) / 1000;
    if (seconds < 60) return BatchProgress::tr("%1 s left").arg(seconds);
    return BatchProgress::tr("%1 min left").arg((seconds + 59) / 60);
}

}  // namespace

BatchProgress::BatchProgress(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("batchProgress"));
    setAccessibleName(tr("Batch"));
    setAccessibleDescription(tr("The progress of the running batch, and Stop"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("batchProgressBar"));
    m_bar->setAccessibleName(tr("Batch progress"));
    m_bar->setAccessibleDescription(tr("Sessions converted of all in the batch"));
    m_bar->setMaximumWidth(220);
    layout->addWidget(m_bar);
    m_stop = new QPushButton(tr("Stop"), this);
    m_stop->setObjectName(QStringLiteral("stopBatch"));
    m_stop->setAccessibleDescription(
        tr("Ends the batch once the session being converted is written (Escape)"));
    m_stop->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_stop);
    connect(m_stop, &QPushButton::clicked, this, &BatchProgress::stop);
    hide();
}

void BatchProgress::setProgress(int done, int count) {
    if (count <= 1) return;
    if (!m_clock.isValid()) {
        m_clock.start();
        m_stop->setEnabled(true);
    }
    m_done = done;
    m_count = count;
    // Shown when events next run: a progress bar repaints itself at once on every change,
    // which for a batch of small sessions would cost more than converting them.
    if (m_updatePending) return;
    m_updatePending = true;
    QMetaObject::invokeMethod(this, &BatchProgress::update, Qt::QueuedConnection);
}

void BatchProgress::update() {
    m_updatePending = false;
    if (!m_clock.isValid()) return;
    m_bar->setRange(0, m_count);
    m_bar->setValue(m_done);
    QString text = tr("%1 of %2").arg(m_done).arg(m_count);
    // An estimate from the sessions so far, once there are enough to go by.
    if (m_done >= 3 && m_clock.elapsed() >= 1000) {
        text +=
            QStringLiteral(", ") + remainingText(m_clock.elapsed() * (m_count - m_done) / m_done);
    }
    m_bar->setFormat(text);
    // As wide as the longest text of this batch from the start, so that it never cuts one and
    // does not widen as the estimate comes and goes.
    const QFontMetrics metrics = m_bar->fontMetrics();
    const QString longest = tr("%1 of %2").arg(m_count).arg(m_count) + QStringLiteral(", ");
    int width = metrics.horizontalAdvance(text);
    for (const qint64 seconds : {59, 99 * 60})
        width = std::max(width, metrics.horizontalAdvance(longest + remainingText(seconds * 1000)));
    width += 2 * metrics.averageCharWidth();
    m_bar->setMinimumWidth(width);
    m_bar->setMaximumWidth(std::max(220, width));
    show();
}

void BatchProgress::stop() {
    if (!m_clock.isValid() || !m_stop->isEnabled()) return;
    m_stop->setEnabled(false);
    emit stopRequested();
}

void BatchProgress::finish() {
    m_clock.invalidate();
    hide();
}

}  // namespace z2o
