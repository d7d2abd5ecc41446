#pragma once
// Helpers shared by the dataset-layer suites.

#include <QString>
#include <functional>

#include "db/dberror.h"

// The message of the EDatabaseError `f` raises ("" when none).
inline QString ErrorText(const std::function<void()>& f) {
    try {
        f();
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return QString();
}

// The code of the EDatabaseError `f` raises (General when none).
inline DbError ErrorCode(const std::function<void()>& f) {
    try {
        f();
    } catch (const EDatabaseError& e) {
        return e.code();
    }
    return DbError::General;
}
