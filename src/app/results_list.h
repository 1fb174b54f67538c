// lstResults: one row for each conversion of this run; nothing of it is saved.
#pragma once

#include <QTreeWidget>

class QLabel;

namespace z2o {

// What the window learnt of one conversion.
struct ConversionRow {
    enum class Outcome { Converted, NotConverted, NotFound, Stopped };
    ConversionRow() = default;
    ConversionRow(Outcome outcome, QString source, QString why = {})
        : outcome(outcome), sourcePath(std::move(source)), reason(std::move(why)) {}
    Outcome outcome = Outcome::Converted;
    QString sourcePath;
    QString targetPath;  // empty when no target was named
    int steps = 0;
    qint64 playingTenths = -1;  // of the target as written; -1 when there is none
    int errors = 0;             // per-step errors the session raised
    QString reason;             // why it was not converted
};

// The one place that words an outcome, for the list and the status line alike.
QString outcomeText(const ConversionRow& row);
QString errorCountText(int errors);  // "1 error", "3 errors"

class ResultsList : public QTreeWidget {
    Q_OBJECT

  public:
    explicit ResultsList(QWidget* parent);
    void addRow(const ConversionRow& row);
    // The full target path of a row, or empty.
    static QString targetPath(const QTreeWidgetItem* item);

  signals:
    // Double-click or Enter on a row that names a target.
    void openTargetFolder(const QString& targetPath);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QLabel* m_hint;
};

}  // namespace z2o
