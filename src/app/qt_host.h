// The Qt side of the host: the open dialog, message boxes and pending events.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include "convert/host.h"

namespace z2o {

// The program's title, shown on message boxes that have none of their own.
inline constexpr const char* kProgramTitle = "z2o";

class QtHost : public Host {
  public:
    explicit QtHost(QWidget* parent) : m_parent(parent) {}

    std::optional<PickedFile> showOpen(const OpenDialogSettings& settings) override;
    std::int32_t showMessage(const Message& message) override;
    void processEvents() override;
    std::string programFolder() override;

  private:
    static constexpr qint64 kEventsInterval = 100;  // milliseconds

    QWidget* m_parent;
    QElapsedTimer m_sinceEvents;
};

}  // namespace z2o
