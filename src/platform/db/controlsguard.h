#pragma once
// The data-aware controls of a dataset wait for the scope (a bulk load or
// rewrite) and hear one change at its end, also when it ends by an exception.

#include "db/dataset.h"

class TControlesDesactivados {
public:
    explicit TControlesDesactivados(TDataSet* DataSet) : d_(DataSet) { d_->DisableControls(); }
    ~TControlesDesactivados() { d_->EnableControls(); }
    TControlesDesactivados(const TControlesDesactivados&) = delete;
    TControlesDesactivados& operator=(const TControlesDesactivados&) = delete;

private:
    TDataSet* d_;
};
