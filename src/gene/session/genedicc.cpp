#include "gene/session/genedicc.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QSqlQuery>

#include "db/database.h"
#include "db/dberror.h"
#include "db/hiddencolumns.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "io/textfile.h"

namespace {

const QString kCRLF = QStringLiteral("\r\n");

QString Token(int i, const QString& linea) {
    return ExtraerToken(i, linea, QStringLiteral("/"));
}

// The first run of consecutive lines whose first token is the table's name.
// A blank line ends a run, so that two definitions of one table placed one
// after the other (a site's file and the standard one) never merge.
QStringList PrimerBloque(const QStringList& lineas, const QString& tabla, Qt::CaseSensitivity cs) {
    QStringList bloque;
    for (const QString& linea : lineas) {
        const bool deLaTabla =
            !linea.isEmpty() && Token(0, linea).compare(tabla, cs) == 0 && linea.contains('/');
        if (deLaTabla)
            bloque << linea;
        else if (!bloque.isEmpty())
            break;
    }
    return bloque;
}

bool ParteSeleccionada(const QString& partes, const QString& parte) {
    const QString lista = QLatin1Char(',') + partes + QLatin1Char(',');
    return partes.isEmpty() || lista.contains(QLatin1Char(',') + parte + QLatin1Char(','));
}

QString LineasDeTipo(const QStringList& bloque, const QString& tipo) {
    QString out;
    for (const QString& l : bloque)
        if (Token(1, l) == tipo) out += l + kCRLF;
    return out;
}

QString MotivoLectura(const QString& archivo) {
    return QFileInfo::exists(NativePath(archivo)) ? QStringLiteral("No se puede leer el archivo.")
                                                  : QStringLiteral("El archivo no existe.");
}

}  // namespace

QString TipoCampoUsuario(const QString& TipoCampo) {
    if (TipoCampo == QLatin1String("Alfanumerico")) return QStringLiteral("ftString");
    if (TipoCampo == QLatin1String("Numerico")) return QStringLiteral("ftFloat");
    if (TipoCampo == QLatin1String("Entero")) return QStringLiteral("ftInteger");
    if (TipoCampo == QLatin1String("Fecha")) return QStringLiteral("ftDateTime");
    if (TipoCampo == QLatin1String("Texto")) return QStringLiteral("ftMemo");
    return QString();
}

bool LeerDiccionarioDatos(TfGENEINIC* f, const QString& ArchivoDiccionario,
                          const QString& ArchivoEspecifico, const QString& ArchivosVariantes,
                          QString& Texto) {
    Texto.clear();
    if (!ArchivoEspecifico.isEmpty()) {
        QString especifico;
        if (ReadTextFile(NativePath(ArchivoEspecifico), especifico) && !especifico.isEmpty())
            Texto = especifico;
    }
    bool leido = true;
    QString diccionario;
    if (!ReadTextFile(NativePath(ArchivoDiccionario), diccionario)) {
        leido = false;
        MensajeAdvertencia(QStringLiteral("No está disponible el archivo ") + ArchivoDiccionario +
                           QStringLiteral(". Motivo: ") + MotivoLectura(ArchivoDiccionario));
    } else if (!diccionario.isEmpty()) {
        // A blank line between the two keeps their runs of one table apart.
        Texto = Texto.isEmpty() ? diccionario : Texto + kCRLF + kCRLF + diccionario;
    }
    for (const QString& nombre : ArchivosVariantes.split(QLatin1Char(','))) {
        const QString archivo = nombre.trimmed();
        if (archivo.isEmpty()) continue;
        QString variante;
        if (!ReadTextFile(NativePath(archivo), variante)) continue;
        CombinarDiccionario(f, Texto, variante, Texto);
    }
    return leido;
}

bool LeerDiccionarioEstandar(TfGENEINIC* f, QString& Texto) {
    const QString ruta = RutaDiccionario();
    const QString base = ruta.left(ruta.size() - QFileInfo(ruta).suffix().size());
    return LeerDiccionarioDatos(f, ruta, base + QStringLiteral("ESP"), base + QStringLiteral("VRT"),
                                Texto);
}

void CombinarDiccionario(TfGENEINIC* f, const QString& Diccionario, const QString& Variante,
                         QString& Resultado) {
    const QString dicc = Diccionario;  // Resultado may be the same string
    QString sustitutivo, complementario;
    QString* seccion = &sustitutivo;
    for (const QString& linea : LineasTexto(Variante)) {
        const QString l = linea.trimmed();
        if (l == QLatin1String(kSeccionSustitutivas)) {
            seccion = &sustitutivo;
        } else if (l == QLatin1String(kSeccionComplementarias)) {
            seccion = &complementario;
        } else if (!l.isEmpty()) {
            *seccion += linea + kCRLF;
        }
    }
    Resultado = dicc;
    if (!sustitutivo.isEmpty()) Resultado = sustitutivo + kCRLF + kCRLF + Resultado;
    if (!complementario.isEmpty()) {
        QString tablas;
        TablasTextoDiccionario(f, complementario, QString(), tablas);
        QString bloques;
        for (const QString& tabla : LineasTexto(tablas)) {
            for (const QString& parte :
                 {QStringLiteral("Campos"), QStringLiteral("Indices"), QStringLiteral("SQL")}) {
                QString estandar, agregado;
                DefinicionTablaDiccionario(f, tabla, dicc, estandar, parte);
                DefinicionTablaDiccionario(f, tabla, complementario, agregado, parte);
                bloques += estandar + agregado + kCRLF;
            }
        }
        bloques = ReemplazarTextoRepetido(kCRLF + kCRLF, kCRLF, bloques);
        if (bloques.startsWith(kCRLF)) bloques.remove(0, 2);
        // The blank line ends the complemented runs before the standard ones.
        Resultado = bloques + kCRLF + Resultado;
    }
}

void DefinicionTablaDiccionario(TfGENEINIC* f, const QString& NombreTabla,
                                const QString& TextoDiccionario, QString& Definicion,
                                const QString& Partes) {
    const QStringList bloque =
        PrimerBloque(LineasTexto(TextoDiccionario), NombreTabla, Qt::CaseSensitive);
    QString out;
    if (ParteSeleccionada(Partes, QStringLiteral("Campos")))
        out += LineasDeTipo(bloque, QStringLiteral("C"));
    if (ParteSeleccionada(Partes, QStringLiteral("CamposUsuario")) && !NombreTabla.isEmpty()) {
        QStringList lineas;
        QString error;
        if (LineasCamposUsuario(f, NombreTabla, false, lineas, error)) {
            for (const QString& l : lineas) out += l + kCRLF;
        } else if (!error.isEmpty()) {
            MensajeAdvertencia(
                QStringLiteral("Error. No es posible ejecutar la sentencia SQL. Motivo: ") + error);
        }
    }
    if (ParteSeleccionada(Partes, QStringLiteral("Indices")))
        out += LineasDeTipo(bloque, QStringLiteral("I"));
    if (ParteSeleccionada(Partes, QStringLiteral("SQL")))
        out += LineasDeTipo(bloque, QStringLiteral("SQL"));
    Definicion = out;
}

bool LineasCamposUsuario(TfGENEINIC* f, const QString& NombreTabla, bool ParaCrear,
                         QStringList& Lineas, QString& Error) {
    Lineas.clear();
    Error.clear();
    TDatabase* general = f ? f->DatabaseGeneral : nullptr;
    if (!general || !general->Connected()) return true;
    // The table's own name: an owner prefix ("dbo.") is not part of it.
    const QString tabla = NombreTabla.section(QLatin1Char('.'), -1);
    if (tabla.compare(QLatin1String("CAMPOUSR"), Qt::CaseInsensitive) == 0) return true;
    try {
        if (!general->TableExists(QStringLiteral("CAMPOUSR"))) return true;
        QSqlQuery q = general->Execute(
            QStringLiteral("SELECT OrdenCampo, NombreCampo, TipoCampo, LongitudCampo FROM ") +
                general->dialect().tablePrefix() +
                QStringLiteral("CAMPOUSR WHERE UPPER(NombreTabla) = ? ORDER BY OrdenCampo"),
            {tabla.toUpper()});
        int numero = 1000;
        while (q.next()) {
            const QString tipo = TipoCampoUsuario(q.value(2).toString().trimmed());
            if (tipo.isEmpty()) continue;
            bool esNumero = false;
            const int orden = q.value(0).toString().trimmed().toInt(&esNumero);
            const QString n = QString::number(ParaCrear ? numero++ : 1000 + (esNumero ? orden : 0));
            QString linea = tabla + QStringLiteral("/C/") + n + QLatin1Char('/') +
                            q.value(1).toString().trimmed() + QLatin1Char('/') + tipo +
                            QLatin1Char('/') + q.value(3).toString().trimmed() + QLatin1Char('/');
            if (ParaCrear) linea += QStringLiteral("NO");
            Lineas << linea;
        }
    } catch (const EDatabaseError& e) {
        Lineas.clear();
        Error = e.Message();
        return false;
    }
    return true;
}

void TablasTextoDiccionario(TfGENEINIC*, const QString& Texto, const QString& Opciones,
                            QString& Resultado) {
    QStringList tablas;
    const QStringList lineas = LineasTexto(Texto);
    for (const QString& l : lineas) {
        if (Token(1, l).isEmpty()) continue;
        const QString t = Token(0, l);
        bool hay = false;
        for (const QString& e : std::as_const(tablas))
            if (e.compare(t, Qt::CaseInsensitive) == 0) {
                hay = true;
                break;
            }
        if (!hay) tablas << t;
    }
    std::sort(tablas.begin(), tablas.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    if (Opciones.contains(QLatin1String("IncluirFecha"))) {
        for (const QString& l : lineas) {
            if (Token(1, l).isEmpty()) continue;
            const QString t = Token(0, l);
            for (QString& e : tablas)
                if (e.section(QLatin1Char('/'), 0, 0).compare(t, Qt::CaseInsensitive) == 0) {
                    e += QLatin1Char('/') + Token(1, l);
                    break;
                }
        }
    }
    Resultado.clear();
    for (const QString& t : std::as_const(tablas)) Resultado += t + kCRLF;
}

void ListaTablasDiccionario(TfGENEINIC* f, const QString& Opciones, QString& Texto) {
    QString dicc, tablas;
    LeerDiccionarioEstandar(f, dicc);
    TablasTextoDiccionario(f, dicc, Opciones, tablas);
    Texto.clear();
    for (QString t : LineasTexto(tablas)) {
        t = t.section(QLatin1Char('|'), 0, 0);
        if (Opciones == QLatin1String("ExcluirTablasBDGeneral") && EsTablaGeneral(t)) continue;
        Texto += t + kCRLF;
    }
}

void CamposTablaDiccionario(TfGENEINIC* f, const QString& NombreTabla, const QString& Opciones,
                            QString& Texto) {
    QString dicc, definicion;
    LeerDiccionarioEstandar(f, dicc);
    DefinicionTablaDiccionario(f, NombreTabla, dicc, definicion, QString());
    CamposDefinicionTabla(f, NombreTabla, definicion, Texto, Opciones);
}

void CamposDefinicionTabla(TfGENEINIC*, const QString& NombreTabla, const QString& Definicion,
                           QString& Texto, const QString& Opciones) {
    const bool conTipo = Opciones.contains(QLatin1String("IncluirTipo"));
    for (const QString& l : LineasTexto(Definicion)) {
        if (Token(0, l) != NombreTabla || Token(1, l) != QLatin1String("C")) continue;
        Texto += Token(3, l);
        if (conTipo) Texto += QLatin1Char('/') + Token(4, l);
        Texto += kCRLF;
    }
}

namespace {

// The tables the dictionary's files define, read again only when one of
// them changed: every statement of the program asks about its names.
struct TablasDiccionario {
    QString ruta;
    QList<QDateTime> fechas;
    QSet<QString> nombres;
    QElapsedTimer visto;
};

TablasDiccionario& tablasDiccionario() {
    static TablasDiccionario t;
    return t;
}

// Every file that may define a table, whether or not it replaces another's
// definition: a name any of them holds is the program's.
QStringList ArchivosDiccionario(const QString& ruta) {
    const QString base = ruta.left(ruta.size() - QFileInfo(ruta).suffix().size());
    return {NativePath(ruta), NativePath(base + QStringLiteral("ESP")),
            NativePath(base + QStringLiteral("VRT"))};
}

void LeerTablasDiccionario(TablasDiccionario& t) {
    t.visto.start();
    QList<QDateTime> fechas;
    const QStringList archivos = ArchivosDiccionario(t.ruta);
    for (const QString& archivo : archivos) fechas << QFileInfo(archivo).lastModified();
    if (fechas == t.fechas) return;
    t.fechas = fechas;
    t.nombres.clear();
    for (const QString& archivo : archivos) {
        QString texto;
        if (!ReadTextFile(archivo, texto)) continue;
        for (const QString& linea : LineasTexto(texto))
            if (linea.contains(QLatin1Char('/')))
                t.nombres.insert(Token(0, linea).trimmed().toUpper());
    }
}

}  // namespace

void ConocerTablasPrograma(TfGENEINIC*) {
    TablasDiccionario& t = tablasDiccionario();
    t.ruta = RutaDiccionario();
    t.fechas.clear();
    LeerTablasDiccionario(t);
    SetProgramTableTest(EsTablaDelPrograma);
}

bool EsTablaDelPrograma(const QString& NombreTabla) {
    const QString nombre = NombreTabla.trimmed().toUpper();
    if (nombre.isEmpty()) return false;
    // A work table is "TEMP", its number and its owner's name: a user's
    // TEMPORADA is not one. The session's marks of the tables it made and
    // its code reservations are the program's too.
    if (EsTablaGeneral(nombre) || (EsTablaTemporal(nombre) && nombre.at(4).isDigit()) ||
        nombre == QLatin1String("CREACION") || nombre == QLatin1String("RESERCOD") ||
        nombre == QLatin1String("RESERFIL"))
        return true;
    TablasDiccionario& t = tablasDiccionario();
    if (t.ruta.isEmpty()) return false;
    // A dictionary edited while the program runs is read again.
    if (t.visto.hasExpired(2000)) LeerTablasDiccionario(t);
    return t.nombres.contains(nombre);
}
