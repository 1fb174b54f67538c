#include "app/qt_host.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace z2o {
namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// "Zendrel Session (*.ZS2)|*.ZS2" names its patterns in capitals; on a case-sensitive file
// system the lower-case spelling is offered as well, or a user's "alpha.zs2" would not show.
#ifdef Q_OS_WIN
constexpr bool kCaseSensitiveNames = false;
#else
constexpr bool kCaseSensitiveNames = true;
#endif

QString nameFilter(const OpenDialogSettings& settings) {
    QString patterns = fromUtf8(settings.patterns);
    if (kCaseSensitiveNames && patterns != patterns.toLower())
        patterns += QLatin1Char(' ') + patterns.toLower();
    return fromUtf8(settings.filterName) + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

}  // namespace

std::optional<PickedFile> QtHost::showOpen(const OpenDialogSettings& settings) {
    QFileDialog dialog(m_parent, fromUtf8(settings.dialogTitle), fromUtf8(settings.initDir),
                       nameFilter(settings));
    dialog.setObjectName(QStringLiteral("dialogFileMangr"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // One existing file; a folder that does not exist cannot be entered either.
    dialog.setFileMode((settings.flags & kFileMustExist) ? QFileDialog::ExistingFile
                                                         : QFileDialog::AnyFile);
    QString suffix = fromUtf8(settings.defaultExt);
    if (suffix.startsWith(QLatin1String("*."))) suffix.remove(0, 2);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QFileInfo picked(dialog.selectedFiles().constFirst());
    return PickedFile{QDir::toNativeSeparators(picked.absoluteFilePath()).toStdString(),
                      picked.fileName().toStdString()};
}

std::int32_t QtHost::showMessage(const Message& message) {
    QString text = fromUtf8(message.text());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QString title =
        message.title.empty() ? QString::fromLatin1(kProgramTitle) : fromUtf8(message.title);
    const bool question = message.buttons == Buttons::OkCancel;
    QMessageBox box(QMessageBox::Warning, title, text,
                    question ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, m_parent);
    box.setObjectName(QStringLiteral("messageBox"));
    // The question's own text stays as it is; what Cancel means beyond it is said under it.
    if (!message.cancelStops.empty()) box.setInformativeText(fromUtf8(message.cancelStops));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(question ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Cancel ? kAnswerCancel : kAnswerOk;
}

void QtHost::processEvents() {
    // A batch asks before each of its sessions, and small ones take well under a millisecond:
    // handling events and repainting every time would cost more than the conversions. Ten times
    // a second keeps the progress moving and Stop at hand.
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kEventsInterval) return;
    QCoreApplication::processEvents();
    m_sinceEvents.start();
}

std::string QtHost::programFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
}

}  // namespace z2o
