#pragma once
// What the files of the users unit share: one row of USUARIO read fresh from
// the engine, with the outcome told apart (read, missing, failed), so that
// the rights can fail closed while the settings keep their defaults.

#include <QHash>
#include <QString>

class TModuloDatos;

namespace geneusua {

enum class Lectura { Leida, SinFila, Fallo };

struct FilaUsuario {
    Lectura estado = Lectura::Fallo;
    QHash<QString, QString> columnas;  // by lower-case column name
    // A failed read: the SQL layer's error text, for the caller to tell.
    QString motivo;
    bool Tiene(const QString& columna) const { return columnas.contains(columna.toLower()); }
    QString Valor(const QString& columna) const { return columnas.value(columna.toLower()); }
};

// The row of a user code (compared exactly). Fallo without a data module
// or when the table cannot be read.
FilaUsuario LeerFila(TModuloDatos* ModuloDatos, const QString& Codigo);

// A per-user setting. Valor holds the default on entry and keeps it for a
// missing row or an empty memo setting. With Motivo nothing is told: a
// failed read gives its reason there ("" for a missing column); without it
// a failed read of the profile is told.
Lectura LeerClave(TModuloDatos* ModuloDatos, const QString& Usuario, const QString& Clave,
                  QString& Valor, QString* Motivo = nullptr);

}  // namespace geneusua
