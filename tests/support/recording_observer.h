#pragma once

#include "transfer_observer.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kestrel::testsupport {

// Records what a transfer shows, in order, as short texts:
// "status:<text>", "phase:<loading|sending|writing|reading|verifying>", "max:<n>",
// "progress:<n>", "message:<text>", "image:<size>", "finished".
class RecordingObserver : public link::TransferObserver
{
public:
    void setStatus(const QString& text) override { add(QStringLiteral("status:") + text); }
    void startPhase(link::Phase phase) override
    {
        static const char* const names[] = {"loading", "sending", "writing", "reading",
                                            "verifying"};
        add(QStringLiteral("phase:") + QLatin1String(names[static_cast<int>(phase)]));
    }
    void setProgressMax(int max) override { add(QStringLiteral("max:%1").arg(max)); }
    void setProgress(int progress) override
    {
        add(QStringLiteral("progress:%1").arg(progress));
        if (onProgress)
            onProgress(progress);
    }
    void showMessage(const QString& text) override
    {
        add(QStringLiteral("message:") + text);
        if (onMessage)
            onMessage(text);
    }
    void imageRead(const QByteArray& bytes) override
    {
        image = bytes;
        ++imageCalls;
        add(QStringLiteral("image:%1").arg(bytes.size()));
    }
    void finished(const link::TransferOutcome& ended) override
    {
        outcome = ended;
        ++finishedCalls;
        add(QStringLiteral("finished"));
    }

    // The events with runs of progress calls folded into "progress:<first>..<last>".
    [[nodiscard]] QStringList folded() const
    {
        QStringList out;
        int first = -1;
        int last = -1;
        auto flush = [&] {
            if (first >= 0)
                out << (first == last ? QStringLiteral("progress:%1").arg(first)
                                      : QStringLiteral("progress:%1..%2").arg(first).arg(last));
            first = last = -1;
        };
        for (const QString& e : events) {
            if (e.startsWith(QLatin1String("progress:"))) {
                const int v = e.mid(9).toInt();
                if (first >= 0 && v == last + 1) {
                    last = v;
                    continue;
                }
                flush();
                first = last = v;
                continue;
            }
            flush();
            out << e;
        }
        flush();
        return out;
    }
    [[nodiscard]] QStringList messages() const { return filtered(QStringLiteral("message:")); }
    [[nodiscard]] QStringList statuses() const { return filtered(QStringLiteral("status:")); }

    QStringList events;
    QByteArray image;
    int imageCalls = 0;
    int finishedCalls = 0;
    link::TransferOutcome outcome; // as finished() told it
    std::function<void(int)> onProgress;
    std::function<void(const QString&)> onMessage;

private:
    void add(const QString& e) { events << e; }
    [[nodiscard]] QStringList filtered(const QString& prefix) const
    {
        QStringList out;
        for (const QString& e : events)
            if (e.startsWith(prefix))
                out << e.mid(prefix.size());
        return out;
    }
};

} // namespace kestrel::testsupport
