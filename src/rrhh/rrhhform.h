#pragma once
// The training-type master "Maestro de Tipos de Formación": table FORMCION
// (Codigo, Tipo, Descripcion) on the grid form of the master template.
// Every training type is mirrored as an analysis group of GRANALIS whose
// category is its Tipo, and every such category stands in the "Personal"
// line of the company parameter PerfilesCategoriasGA, so that employees can
// be grouped by the training they have.

#include <QString>

#include "db/dataset.h"  // Table1BeforeDelete is published with a dataset argument
#include "gene/session/genemaes_rejilla.h"

class TfRRHHFORM : public TMaestroRejilla {
    Q_OBJECT
public:
    explicit TfRRHHFORM(QWidget* owner = nullptr);
    ~TfRRHHFORM() override;

    TBitBtn* pbAccesoCriterios;

    void FormCreate(QObject* Sender) override;
    void Table1BeforePost(TDataSet* DataSet) override;
    void Table1AfterPost(TDataSet* DataSet) override;
    void Table1BeforeEdit(TDataSet* DataSet) override;
    void DBGrid1KeyPress(QObject* Sender, QChar& Key) override;
    bool ValidarColumna() override;
    // Published: the framework leaves a form's own delete handler in place.
    Q_INVOKABLE void Table1BeforeDelete(TDataSet* DataSet);
    Q_INVOKABLE void pbAccesoCriteriosClick(QObject* Sender);

    // The pick list of the Tipo column: the types in use.
    void RefrescarTipos();
};

extern TfRRHHFORM* fRRHHFORM;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHFORM();

// The profiles text (one "Profile=cat1,cat2" line each) with Categoria added
// to the "Personal" line when it is not one of its items: every line ends
// with CR LF; a text without a "Personal" line gets "Personal=" + Categoria
// at its end.
QString AgregarCategoriaPerfilPersonal(const QString& Perfiles, const QString& Categoria);
// The profiles text with Categoria taken out of every line where it is an
// item, with one separating comma; the rest of the text as it was.
QString QuitarCategoriaPerfiles(const QString& Perfiles, const QString& Categoria);
// Whether a training type can stand as a category in the profiles, whose
// items "," separates: a type holding one is warned of, false.
bool ValidarCategoriaPerfiles(const QString& Categoria);
