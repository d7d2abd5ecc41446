// TDBDataSet: a dataset on a named database of the session.

#include "db/database.h"
#include "db/dataset.h"
#include "db/dberror.h"

TDBDataSet::TDBDataSet(QObject* parent) : TDataSet(parent) {}

TDBDataSet::~TDBDataSet() {
    QObject::disconnect(closeConnection_);
    QObject::disconnect(destroyConnection_);
}

void TDBDataSet::setDatabaseName(const QString& name) {
    if (name == databaseName_) return;
    CheckInactive();
    databaseName_ = name;
}

TDatabase* TDBDataSet::Database() {
    return TSession::instance().FindDatabase(databaseName_);
}

TDatabase* TDBDataSet::OpenDatabase() {
    TDatabase* db = Database();
    if (db != database_) {
        QObject::disconnect(closeConnection_);
        QObject::disconnect(destroyConnection_);
        database_ = db;
        // A dataset never outlives the connection its cursor reads.
        closeConnection_ = connect(db, &TDatabase::aboutToClose, this, [this] { Close(); });
        destroyConnection_ = connect(db, &QObject::destroyed, this, [this] {
            database_ = nullptr;
            CloseOnDestroy();
            InternalClose();
            DataEvent(deUpdateState);
        });
    }
    return db;
}
