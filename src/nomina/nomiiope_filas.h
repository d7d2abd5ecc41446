#pragma once
// Moving every row of one code to another inside the caller's transaction,
// for the code interchange windows. A row whose key would collide with a row
// the destination already has is settled by the kind of its key: a line or
// sequence number takes the destination's next free number (and the rows
// naming it follow), a key with no such number yields to the destination's
// row (its values are listed, its lines go with it), and payroll rows are
// never dropped: a collision there refuses the pair. Every row whose key
// changes takes its attachments (documents, groups, contacts, objects,
// responsibility and relations) with it.

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class TDatabase;

// Where a code is stored: a table and its code column; for a table shared by
// several owners, the column and value that name the owner's rows.
struct TLugarCodigo {
    QString Tabla;
    QString Columna;
    QString CampoPropietario;  // "NombreTabla", or empty
    QString Propietario;       // "PERSONAL"
};

class TMovedorCodigos {
public:
    // Failures go to Incidencias; Estado shows what is being processed. A
    // table that is not in the database holds nothing and is skipped.
    TMovedorCodigos(TDatabase* Base, QStringList& Incidencias,
                    std::function<void(const QString&)> Estado);

    // A new pair: forgets what the previous pair learnt.
    void Empezar(const QString& Origen, const QString& Destino);
    bool EsPar(const QString& Origen, const QString& Destino) const {
        return Origen == origen_ && Destino == destino_;
    }
    // The rows of the pair's origin in one place, and their attachments.
    // False when the pair must be refused (Incidencias tells why).
    bool Mover(const TLugarCodigo& Lugar);
    // The attachments of the record of Tabla whose key is the origin alone
    // (the master record).
    bool MoverAnexosMaestro(const QString& Tabla);

    // The rows dropped for the destination's: listed once the pair is kept.
    QStringList Descartes;

private:
    struct Tabla;
    struct Sentencias;
    // A row that took the destination's next free number.
    struct Renumerada {
        QStringList Clave;  // its old key, as text, in key order
        int Posicion;       // of the number in the key
        QVariant Viejo, Nuevo;
        QString TextoNuevo;
    };
    const Tabla& tabla(const QString& Nombre);
    bool mover(const TLugarCodigo& Lugar, const QVariant& Origen, const QVariant& Destino,
               bool ConAnexos);
    bool tieneAnexos(const QString& Tabla);
    bool moverAnexos(const QString& Tabla, int Posicion, const QList<Renumerada>& Renumeradas);
    QList<Renumerada> renumeradas(const TLugarCodigo& Lugar, const QVariant& Origen,
                                  const QVariant& Destino);
    void descartar(const Sentencias& S);
    static QString columnas(const Tabla& T, const QString& Alias);
    void listar(const QString& Sql, const QVariantList& Valores, const QString& NombreTabla);
    QVariant valor(const Tabla& T, const QString& Columna, const QVariant& Codigo) const;

    TDatabase* base_;
    QStringList& incidencias_;
    std::function<void(const QString&)> estado_;
    QString origen_, destino_;
    QHash<QString, Tabla*> tablas_;
    // Tables with a line or sequence number renumbered in this pair, by
    // table: what rows naming them follow.
    QHash<QString, QList<Renumerada>> numeros_;
    // Tables whose statistics this run brought up to date.
    QSet<QString> analizadas_;

public:
    ~TMovedorCodigos();
    TMovedorCodigos(const TMovedorCodigos&) = delete;
    TMovedorCodigos& operator=(const TMovedorCodigos&) = delete;
};
