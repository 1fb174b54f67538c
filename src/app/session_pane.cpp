#include "app/session_pane.h"

#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

#include "app/conversion_row.h"
#include "app/session_view.h"

namespace z2o {

SessionPane::SessionPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("sessionViewArea"));
    setAccessibleName(tr("Session"));
    setAccessibleDescription(tr("The selected conversion's session, drawn over time"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("sessionName"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setEnabled(false);
    m_caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_caption->setAccessibleName(tr("Session shown"));
    m_caption->setAccessibleDescription(tr("The name of the session drawn below"));
    layout->addWidget(m_caption);
    m_view = new SessionView(this);
    layout->addWidget(m_view, 1);
    m_stepText = new QLabel(this);
    m_stepText->setObjectName(QStringLiteral("stepText"));
    m_stepText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_stepText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_stepText->setAccessibleName(tr("Current step"));
    m_stepText->setAccessibleDescription(tr("The values of the step the arrow keys have reached"));
    m_stepText->hide();
    layout->addWidget(m_stepText);
    connect(m_view, &SessionView::currentStepChanged, this, [this](const QString& text) {
        m_stepText->setText(text);
        m_stepText->setToolTip(text);
        m_stepText->setVisible(!text.isEmpty());
    });
    showHint(tr("Select a conversion to see its steps."));
}

void SessionPane::showNothing(const QString& caption, const QString& why) {
    m_shownPath.clear();
    m_caption->setText(caption);
    m_view->clear(why);
}

void SessionPane::showHint(const QString& hint) {
    showNothing(QString(), hint);
}

void SessionPane::showRow(const ConversionRow& row) {
    const QString source = QFileInfo(row.sourcePath).fileName();
    if (row.outcome != ConversionRow::Outcome::Converted) {
        showNothing(source, tr("%1 \u2014 %2").arg(source, outcomeText(row)));
        return;
    }
    std::string problem;
    auto session = loadConversion(row.targetPath.toStdString(), row.sourcePath.toStdString(),
                                  row.ramp, problem);
    const QString target = QFileInfo(row.targetPath).fileName();
    if (!session) {
        showNothing(target,
                    tr("%1 cannot be shown: %2").arg(target, QString::fromStdString(problem)));
        return;
    }
    m_shownPath = row.targetPath;
    m_caption->setText(session->sources.empty() ? target
                                                : tr("%1, converted from %2").arg(target, source));
    m_view->setSession(std::move(*session));
}

bool SessionPane::showFile(const QString& path, const RampSettings& ramp) {
    std::string problem;
    auto session = loadSessionFile(path.toStdString(), ramp, problem);
    const QString name = QFileInfo(path).fileName();
    if (!session) {
        showNothing(name, tr("%1 cannot be shown: %2").arg(name, QString::fromStdString(problem)));
        return false;
    }
    m_shownPath = path;
    m_caption->setText(name);
    m_view->setSession(std::move(*session));
    return true;
}

}  // namespace z2o
