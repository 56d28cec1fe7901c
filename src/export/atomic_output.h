#pragma once
// An output file that appears whole or not at all. Writers fill a hidden temporary beside the
// destination (".<name>.XXXXXX.part", in the same folder so the final rename stays on one file
// system); commit() renames it over the destination. Destroying the object without committing
// (a failure, a cancel, Ctrl+C handled by the caller, a full disk) removes the temporary, so no
// partial output is ever left behind.

#include <QString>
#include <memory>

namespace lumarel {

class AtomicOutput {
public:
    // Checks that destination's folder exists and can be written, and creates the empty
    // temporary there. nullptr with *error (naming the folder or the file and the reason) when
    // it cannot, before any work is done.
    static std::unique_ptr<AtomicOutput> create(const QString& destination, QString* error);

    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    QString destination() const { return destination_; }
    // Where writers put the bytes; it exists (empty) from create() until commit() or destruction.
    QString temporaryPath() const { return temporary_; }

    // Renames the temporary over the destination (replacing an older file of that name).
    // false with *error when it cannot; the temporary is then removed.
    bool commit(QString* error);
    bool committed() const { return committed_; }

private:
    AtomicOutput(QString destination, QString temporary);

    QString destination_;
    QString temporary_;
    bool committed_ = false;
};

}  // namespace lumarel
