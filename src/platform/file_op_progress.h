#pragma once

#include <QString>
#include <QtGlobal>

// How a long file operation shows how far it has got and hears that the user wants it stopped.
// The window shows a progress dialog; tests stop an operation at a chosen point.
class FileOpProgress {
public:
    virtual ~FileOpProgress() = default;

    // A long operation begins with totalWork units (bytes) to do.
    virtual void begin(const QString& title, qint64 totalWork) = 0;
    // done units of work are done, the item at hand described by label; false when the user
    // asked to stop.
    virtual bool advance(const QString& label, qint64 done) = 0;
    virtual void end() = 0;
};

// Shows nothing and never stops an operation.
class NoProgress : public FileOpProgress {
public:
    void begin(const QString&, qint64) override {}
    bool advance(const QString&, qint64) override { return true; }
    void end() override {}
};
