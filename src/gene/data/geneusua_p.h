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
    bool Tiene(const QString& columna) const { return columnas.contains(columna.toLower()); }
    QString Valor(const QString& columna) const { return columnas.value(columna.toLower()); }
};

// The row of a user code (compared exactly). Fallo without a data module
// or when the table cannot be read.
FilaUsuario LeerFila(TModuloDatos* ModuloDatos, const QString& Codigo);

// A per-user setting. Valor holds the default on entry and keeps it for a
// missing row or an empty memo setting.
Lectura LeerClave(TModuloDatos* ModuloDatos, const QString& Usuario, const QString& Clave,
                  QString& Valor);

}  // namespace geneusua
