#include "platform/file_op_outcome.h"

#include "platform/run_error.h"

int shellErrorFromErrno(int err) {
    const int number = runErrorFromErrno(err);
    return number == shell_result::kCancelled || number == 0 ? run_error::kInternal : number;
}

FileOpOutcome FileOpOutcome::fromErrno(FileOpFailure failure, const QString& path, int err) {
    return {shellErrorFromErrno(err), failure, path, {}};
}
