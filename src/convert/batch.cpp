#include "convert/batch.h"

#include "convert/driver.h"
#include "convert/messages.h"

namespace z2o {

BatchCounts countOutcomes(std::span<const SessionOutcome> entries) {
    BatchCounts counts;
    for (const SessionOutcome& entry : entries) {
        switch (entry.status) {
            case SessionOutcome::Status::Converted:
                ++counts.converted;
                break;
            case SessionOutcome::Status::UpToDate:
                ++counts.upToDate;
                break;
            case SessionOutcome::Status::NotFound:
                ++counts.notFound;
                break;
            case SessionOutcome::Status::Stopped:
            case SessionOutcome::Status::Cancelled:
                ++counts.stopped;
                break;
            case SessionOutcome::Status::Rejected:
            case SessionOutcome::Status::Failed:
                ++counts.failed;
        }
        if (entry.succeeded() && entry.errorCount() > 0) ++counts.withErrors;
    }
    return counts;
}

bool BatchOutcome::clean() const {
    const BatchCounts all = counts();
    return problems.empty() && all.withErrors == 0 &&
           all.converted + all.upToDate == static_cast<int>(entries.size());
}

Batch::Batch(Host& host, const RampSettings& ramp, TargetMode mode)
    : m_host(host), m_ramp(ramp), m_mode(mode) {}

Batch::~Batch() = default;

std::int32_t Batch::convert(const std::string& sourcePath, const std::string& cancelStops) {
    // Nothing waits uncommitted while a question waits for the user.
    if (m_host.asksUser()) commit();
    Conversion conversion = convertSource(sourcePath, m_ramp, m_mode, m_host, cancelStops);
    const std::int32_t answer = conversion.outcome.answer;
    const std::size_t index = m_outcome.entries.size();
    m_outcome.entries.push_back(std::move(conversion.outcome));
    m_final.push_back(!conversion.target);
    if (!conversion.target) {
        tellFinal();
        return answer;
    }
    m_group.add(std::move(conversion.target),
                [this, index](const std::optional<RunError>& error) { settle(index, error); });
    if (m_group.due()) m_group.commit();
    return answer;
}

void Batch::settle(std::size_t index, const std::optional<RunError>& error) {
    SessionOutcome& entry = m_outcome.entries[index];
    if (error) {
        entry.status = SessionOutcome::Status::Failed;
        entry.runError = error;
        Message message = failureMessage(*error, entry.sourcePath, entry.targetPath);
        entry.targetPath.clear();  // never written
        entry.answer = m_host.showMessage(message);
        entry.messages.push_back(std::move(message));
    }
    m_final[index] = true;
    tellFinal();
}

void Batch::tellFinal() {
    for (; m_told < m_final.size() && m_final[m_told]; ++m_told)
        m_host.sessionDone(m_outcome.entries[m_told]);
}

std::int32_t Batch::notFound(const std::string& sourcePath, const RunError& error,
                             const std::string& cancelStops) {
    if (m_host.asksUser()) commit();
    SessionOutcome& entry = m_outcome.entries.emplace_back();
    entry.status = SessionOutcome::Status::NotFound;
    entry.sourcePath = sourcePath;
    entry.runError = error;
    Message message = notFoundMessage(error, sourcePath);
    message.cancelStops = cancelStops;
    entry.answer = m_host.showMessage(message);
    entry.messages.push_back(std::move(message));
    m_final.push_back(true);
    const std::int32_t answer = entry.answer;
    tellFinal();
    return answer;
}

std::int32_t Batch::fail(const RunError& error, const std::string& path) {
    if (m_host.asksUser()) commit();
    Message message = failureMessage(error, path, path);
    const std::int32_t answer = m_host.showMessage(message);
    m_outcome.problems.push_back(std::move(message));
    return answer;
}

StopCause Batch::stopHere() {
    m_host.processEvents();
    return m_host.stopHere();
}

void Batch::stop(StopCause cause, std::span<const std::string> notReached) {
    commit();
    m_outcome.stop = cause;
    m_outcome.notReached.insert(m_outcome.notReached.end(), notReached.begin(), notReached.end());
}

void Batch::commit() {
    m_group.commit();
}

BatchOutcome Batch::finish() {
    commit();
    return std::move(m_outcome);
}

}  // namespace z2o
