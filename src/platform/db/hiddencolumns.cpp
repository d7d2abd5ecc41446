#include "db/hiddencolumns.h"

namespace {

THiddenColumnTest& hiddenColumns() {
    static THiddenColumnTest test;
    return test;
}

}  // namespace

void SetHiddenColumnTest(THiddenColumnTest test) {
    hiddenColumns() = std::move(test);
}

const THiddenColumnTest& HiddenColumnTest() {
    return hiddenColumns();
}
