#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "db/database.h"
#include "db/dberror.h"
#include "gene/data/genemens.h"
#include "gene/listings/geneprog.h"
#include "gene/session/geneapp.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "io/inifile.h"
#include "io/textfile.h"
#include "support/dbfixture.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/form.h"

// An object whose event handler fails with the exception it is given.
class Lanzador : public QObject {
public:
    std::function<void()> lanzar;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) lanzar();
        return QObject::event(e);
    }
};

class TestGeneInicMensajes : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QStringList Incidencias() {
        QString texto;
        ReadTextFile(ArchivoIncidencias(), texto);
        return texto.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    void initTestCase() { CrearSesion(); }
    void init() {
        DirectorioPrograma = dir_.path() + QLatin1Char('/');
        QFile::remove(ArchivoIncidencias());
        NivelCapturaIncidencias = QStringLiteral("Minimo");
        TipoBaseDatos = QStringLiteral("Paradox");
        MessageSeam::activate();
        AnularTerminacion();
    }
    void cleanup() {
        MessageSeam::deactivate();
        AnularTerminacion();
    }

    void clasificacion_data() {
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QString>("clase");
        QTest::addColumn<QString>("texto");
        QTest::newRow("clave") << "Key violation."
                               << "Advertencia"
                               << "¡ Ya existe el registro !";
        QTest::newRow("campo obligatorio") << "Field 'NOMBRE' must have a value"
                                           << "Advertencia"
                                           << "¡ Debe introducir un valor en el campo 'NOMBRE'  !";
        QTest::newRow("sin indice activo exacto") << "No index currently active"
                                                  << "Advertencia"
                                                  << "No hay un índice activo en la tabla";
        QTest::newRow("sin indice activo dentro")
            << "Table1: No index currently active"
            << "Advertencia"
            << "¡La tabla no está disponible. Cierre la ventana e inténtelo de nuevo.";
        QTest::newRow("cero no valido") << "'0.0' is not a valid floating point value"
                                        << "IGNORAR"
                                        << "IGNORAR";
        QTest::newRow("valor no valido")
            << "'abc' is not a valid integer value"
            << "Advertencia"
            << "¡ El dato introducido no es válido !. Repita por favor.";
        QTest::newRow("fecha no valida")
            << "'31/02/2024' is not a valid date"
            << "Advertencia"
            << "¡ La fecha (u hora) introducida no es válida !. Repita por favor.";
        QTest::newRow("tabla inexistente")
            << "Table does not exist"
            << "Error"
            << "¡ La tabla no existe !. Compruebe la Base de Datos por favor.";
        QTest::newRow("tabla cerrada")
            << "Cannot perform this operation on a closed dataset"
            << "Error"
            << "¡ Es imposible realizar esta operación !. La Tabla está cerrada.";
        QTest::newRow("indice desfasado") << "Index is out of date"
                                          << "Error"
                                          << "TRADUCIR: Index is out of date";
        QTest::newRow("borrado en minusculas")
            << "record/key deleted"
            << "Advertencia"
            << "¡Este registro ya no está disponible en la vista actual!. Para ver la nueva "
               "situación vuelva a seleccionar o filtrar los datos que desee.";
        QTest::newRow("solo lectura") << "Cannot modify a read-only dataset"
                                      << "Advertencia"
                                      << "¡Ud. no tiene autorización para realizar modificaciones!";
        QTest::newRow("palabra clave")
            << "Invalid use of keyword. Token: FROM. Line Number: 3"
            << "Advertencia"
            << "¡ La sentencia utilizada es incorrecta ! Palabra: FROM en la línea número: 3";
        QTest::newRow("ocupada") << "Table is busy"
                                 << "IGNORAR"
                                 << "IGNORAR";
        QTest::newRow("desconocido") << "Algo raro | con \r\n saltos"
                                     << "Advertencia"
                                     << "Algo raro | con \r\n saltos";
        QTest::newRow("vacio") << ""
                               << "Advertencia"
                               << "";
        // The engine's words about a database file, with the file named.
        const QString archivo = QStringLiteral("/datos/1/datos.sqlite");
        QTest::newRow("disco lleno") << "database or disk is full: " + archivo << "Advertencia"
                                     << "¡ No queda espacio en el disco de la Base de Datos " +
                                            archivo + " !. Libere espacio e inténtelo de nuevo.";
        QTest::newRow("solo lectura del archivo")
            << "attempt to write a readonly database: " + archivo << "Advertencia"
            << "¡ La Base de Datos " + archivo +
                   " es de sólo lectura !. No es posible guardar los cambios.";
        QTest::newRow("imagen dañada")
            << "database disk image is malformed: " + archivo << "Error"
            << "¡ La Base de Datos " + archivo +
                   " está dañada !. Restáurela desde una copia de seguridad.";
        QTest::newRow("no es una base de datos")
            << "file is not a database: " + archivo << "Error"
            << "¡ La Base de Datos " + archivo +
                   " está dañada !. Restáurela desde una copia de seguridad.";
        QTest::newRow("dañada sin archivo")
            << "database disk image is malformed"
            << "Error"
            << "¡ La Base de Datos está dañada !. Restáurela desde una copia de seguridad.";
        QTest::newRow("ilegible")
            << "unable to open database file: " + archivo << "Error"
            << "¡ No es posible abrir la Base de Datos " + archivo +
                   " !. Compruebe que existe y que tiene permiso para leerla.";
        QTest::newRow("ruta") << "Path not found: " + archivo << "Error"
                              << "¡ La dirección (path) de la Base de Datos " + archivo +
                                     " es incorrecta !";
        QTest::newRow("ruta sin archivo")
            << "Path not found"
            << "Error"
            << "¡ La dirección (path) de la Base de Datos es incorrecta !";
        QTest::newRow("clave rechazada")
            << "Unable to open database: connection to server at \"127.0.0.1\", port 5432 "
               "failed: fe_sendauth: no password supplied"
            << "Error"
            << "¡ El servidor de la Base de Datos no acepta el usuario o la clave de inicio de "
               "sesión !";
        QTest::newRow("servidor caido")
            << "Unable to open database: connection to server at \"127.0.0.1\", port 1 failed: "
               "Connection refused"
            << "Error"
            << "¡ No es posible conectar con el servidor de la Base de Datos !. Compruebe que "
               "está en marcha y que su nombre y puerto son los correctos.";
        QTest::newRow("blob") << "Invalid BLOB handle in record buffer"
                              << "BLOB"
                              << "¡El número de campos Memo que se intenta manejar es excesivo!. "
                                 "Acote la consulta.";
    }
    void clasificacion() {
        QFETCH(QString, mensaje);
        QFETCH(QString, clase);
        QFETCH(QString, texto);
        const ClasificacionExcepcion c = ClasificarExcepcion(mensaje);
        QCOMPARE(c.Clase, clase);
        QCOMPARE(c.Texto, texto);
    }

    void avisosYErrores() {
        fGENEINIC->GestionExcepciones(nullptr, QStringLiteral("Key violation"));
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().at(0).kind, QStringLiteral("A"));
        QVERIFY(!TerminacionSolicitada());
        QVERIFY(Incidencias().isEmpty());

        fGENEINIC->GestionExcepciones(nullptr, QStringLiteral("Cursor unknown"));
        QCOMPARE(MessageSeam::log().size(), 1);

        // The fatal group ends the program and leaves an incident.
        QObject origen;
        origen.setObjectName(QStringLiteral("Table1"));
        fGENEINIC->GestionExcepciones(&origen, QStringLiteral("Index is out of date"));
        QCOMPARE(MessageSeam::log().size(), 2);
        QCOMPARE(MessageSeam::log().at(1).kind, QStringLiteral("E"));
        QCOMPARE(MessageSeam::log().at(1).text, QStringLiteral("El índice no está actualizado."));
        QVERIFY(TerminacionSolicitada());
        const QStringList lineas = Incidencias();
        QCOMPARE(lineas.size(), 1);
        QVERIFY(lineas.at(0).contains(QLatin1String("Index is out of date")));
        QVERIFY(lineas.at(0).contains(QLatin1String("Table1")));
    }

    // An advice with statements to run is also written whole to the
    // incidents file, which the message names, whatever the level captured;
    // other messages are not.
    void consejoEnIncidencias_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("consejo");
        const QString permisos = QStringLiteral(
            "¡ El usuario «rh_empleado» del servidor no tiene permiso sobre el esquema «general» "
            "de "
            "la Base de Datos general !. Un administrador del servidor debe ejecutar: GRANT USAGE "
            "ON SCHEMA \"general\" TO \"rh_empleado\"; GRANT SELECT, INSERT, UPDATE, DELETE ON "
            "ALL TABLES IN SCHEMA \"general\" TO \"rh_empleado\"");
        QTest::newRow("permisos, al iniciar") << "E" << permisos << true;
        QTest::newRow("vista, advertencia")
            << "A"
            << QStringLiteral(
                   "¡ PERSONAL es una vista !. Para conservar sus filas, el "
                   "administrador ejecuta en la ventana de SQL del programa, que crea "
                   "la tabla PERSONAL al ejecutar el INSERT, en este orden: CREATE "
                   "TABLE PERSONAL_COPIA AS SELECT * FROM PERSONAL ; DROP VIEW "
                   "PERSONAL ; INSERT INTO PERSONAL SELECT * FROM PERSONAL_COPIA ; "
                   "DROP TABLE PERSONAL_COPIA")
            << true;
        QTest::newRow("aviso corriente")
            << "A" << QStringLiteral("¡ Ya existe el registro !") << false;
    }
    void consejoEnIncidencias() {
        QFETCH(QString, tipo);
        QFETCH(QString, texto);
        QFETCH(bool, consejo);
        NivelCapturaIncidencias = QStringLiteral("Ninguno");
        QString respuesta;
        fGENEINIC->MostrarMensaje(tipo, texto, respuesta);
        QCOMPARE(MessageSeam::log().size(), 1);
        const QString visto = MessageSeam::log().at(0).text;
        QVERIFY(visto.startsWith(texto));
        QCOMPARE(visto.contains(ArchivoIncidencias()), consejo);
        const QStringList lineas = Incidencias();
        QCOMPARE(lineas.size(), consejo ? 1 : 0);
        if (consejo) QVERIFY(lineas.at(0).endsWith(QLatin1String("\tConsejo\t") + texto));
    }

    void capturaMaxima() {
        NivelCapturaIncidencias = QStringLiteral("Maximo");
        fGENEINIC->GestionExcepciones(nullptr, QStringLiteral("Key violation\r\nsegunda linea"));
        QCOMPARE(Incidencias().size(), 1);
        QVERIFY(Incidencias().at(0).contains(QLatin1String("Key violation  segunda linea")));
    }

    void registroDeIncidencias() {
        NivelCapturaIncidencias = QStringLiteral("Ninguno");
        fGENEINIC->RegistrarIncidencia(QStringLiteral("Nomina"), QStringLiteral("fallo"));
        QVERIFY(!QFile::exists(ArchivoIncidencias()));
        NivelCapturaIncidencias = QStringLiteral("Minimo");
        CodigoUsuarioActual = QStringLiteral("ADMIN");
        fGENEINIC->RegistrarIncidencia(QStringLiteral("Nomina"), QStringLiteral("fallo"),
                                       QStringLiteral("extra"));
        const QStringList lineas = Incidencias();
        QCOMPARE(lineas.size(), 1);
        const QStringList campos = lineas.at(0).split(QLatin1Char('\t'));
        QCOMPARE(campos.mid(1), (QStringList{"ADMIN", "Nomina", "fallo", "extra"}));
        CodigoUsuarioActual.clear();
    }

    void memoExcesivoCierraLaVentanaDeLaRejilla() {
        TForm ventana;
        auto* rejilla = new TDBGrid(&ventana);
        ventana.show();
        fGENEINIC->GestionExcepciones(rejilla,
                                      QStringLiteral("Invalid BLOB handle in record buffer"));
        QVERIFY(!ventana.isVisible());
        QCOMPARE(MessageSeam::log().size(), 1);
        QVERIFY(MessageSeam::log().at(0).text.startsWith(QStringLiteral("¡El número de campos")));
        QVERIFY(!TerminacionSolicitada());
        QVERIFY(!QFile::exists(ArchivoIncidencias()));
        // Another sender keeps its window.
        QWidget otra;
        auto* boton = new QWidget(&otra);
        otra.show();
        fGENEINIC->GestionExcepciones(boton,
                                      QStringLiteral("Invalid BLOB handle in record buffer"));
        QVERIFY(otra.isVisible());
    }

    // Exceptions escaping an event handler reach the translator, not the user raw.
    void excepcionesDelBucleDeEventos() {
        Lanzador objeto;
        QEvent evento(QEvent::User);
        objeto.lanzar = [] { throw EDatabaseError::make(DbError::FieldRequired, "NOMBRE"); };
        QCoreApplication::sendEvent(&objeto, &evento);
        objeto.lanzar = [] { Abort(); };
        QCoreApplication::sendEvent(&objeto, &evento);
        objeto.lanzar = [] { throw std::runtime_error("Table does not exist"); };
        QCoreApplication::sendEvent(&objeto, &evento);
        const auto& log = MessageSeam::log();
        QCOMPARE(log.size(), 2);
        QCOMPARE(log.at(0).text,
                 QStringLiteral("¡ Debe introducir un valor en el campo 'NOMBRE'  !"));
        QCOMPARE(log.at(1).kind, QStringLiteral("E"));
        QVERIFY(TerminacionSolicitada());
    }

    // A damaged file met while working: the user is told which, in Spanish,
    // also where an opening's message goes through the engine translation.
    void archivoDanado() {
        QTemporaryDir tmp;
        TConnectionParams p;
        p.folder = tmp.path();
        TDatabase::CreateDatabase(p);
        const QString archivo = tmp.path() + QStringLiteral("/") + kDatabaseFileName;
        {
            TDatabase db;
            db.Params() = p;
            db.Open();
            db.Execute(QStringLiteral("CREATE TABLE T (A INTEGER PRIMARY KEY, B VARCHAR(200))"));
            for (int i = 0; i < 200; ++i)
                db.Execute(QStringLiteral("INSERT INTO T VALUES (?, ?)"),
                           {i, QString(150, QLatin1Char('x'))});
        }
        {
            QFile f(archivo);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.size() > 3 * 4096);
            f.seek(2 * 4096);
            f.write(QByteArray(4096, '\xff'));
        }
        TDatabase db;
        db.Params() = p;
        db.Open();
        const QString esperado = "¡ La Base de Datos " + archivo +
                                 " está dañada !. Restáurela desde una copia de seguridad.";
        Lanzador objeto;
        QEvent evento(QEvent::User);
        objeto.lanzar = [&db] { db.Execute(QStringLiteral("SELECT COUNT(B) FROM T")); };
        QCoreApplication::sendEvent(&objeto, &evento);
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().at(0).kind, QStringLiteral("E"));
        QCOMPARE(MessageSeam::log().at(0).text, esperado);
        try {
            db.Execute(QStringLiteral("SELECT COUNT(B) FROM T"));
            QFAIL("a damaged file read without error");
        } catch (const EDatabaseError& e) {
            QCOMPARE(TraducirMensajeMotor(QStringLiteral("TRADUCIR: ") + e.Message() +
                                          QStringLiteral(" Tabla: T")),
                     esperado + " Tabla: T");
        }
    }

    // Errors the translator's table does not know, in Spanish by their code
    // (the engine's own for engine errors), with the engine's words after
    // them where they help: after ". Motivo: " and uncaught alike.
    void traduccionPorCodigo_data() {
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QString>("detalle");
        QTest::addColumn<QString>("codigoMotor");
        QTest::addColumn<QString>("texto");
        const QString llena =
            QStringLiteral("could not extend file \"base/16384/16385\": No space left on device");
        QTest::newRow("disco lleno del servidor")
            << int(DbError::SqlError) << llena << "INSERT INTO T VALUES (1)"
            << "53100"
            << "¡ No queda espacio en el disco de la Base de Datos !. Libere espacio e inténtelo "
               "de nuevo. Motivo: " +
                   llena;
        QTest::newRow("motor desconocido")
            << int(DbError::UnsupportedEngine) << "Engine not available"
            << "TipoBaseDatos: Oracle9"
            << ""
            << "¡ El tipo de base de datos \"Oracle9\" no está disponible !. Indique en "
               "TipoBaseDatos \"Paradox\" o \"SQL Generica\".";
        QTest::newRow("campo de una tabla de otra forma")
            << int(DbError::FieldNotFound) << "Field 'Nombre' not found"
            << ""
            << ""
            << "¡ El campo 'Nombre' no existe !. Compruebe la estructura de la tabla o de la "
               "consulta.";
        QTest::newRow("columna de una consulta")
            << int(DbError::FieldNotFound) << "Field 'Nombe' not found"
            << "no such column: Nombe\nSELECT Nombe FROM T"
            << "1"
            << "¡ El campo 'Nombe' no existe !. Compruebe la estructura de la tabla o de la "
               "consulta. Motivo: no such column: Nombe";
        QTest::newRow("fecha fuera de intervalo")
            << int(DbError::SqlError) << "date/time field value out of range: \"2024-13-45\""
            << ""
            << "22008"
            << "¡ La fecha (u hora) está fuera del intervalo admitido !. Motivo: date/time field "
               "value out of range: \"2024-13-45\"";
        QTest::newRow("demasiadas columnas en SQLite")
            << int(DbError::SqlError) << "too many columns in result set"
            << "SELECT 1"
            << "1"
            << "¡ La consulta tiene demasiadas columnas !. Seleccione menos campos. Motivo: too "
               "many columns in result set";
        QTest::newRow("símbolo no reconocido en SQLite")
            << int(DbError::SqlError) << "unrecognized token: \"#\""
            << "SELECT # FROM T"
            << "1"
            << "¡ La sentencia SQL contiene un símbolo que la base de datos no reconoce !. "
               "Motivo: unrecognized token: \"#\"";
        QTest::newRow("carácter nulo en SQLite")
            << int(DbError::SqlError) << "unrecognized token: \"'GAR\""
            << QStringLiteral("SELECT * FROM T WHERE (Texto >= 'GAR") + QChar(0) +
                   QStringLiteral("x')")
            << "1"
            << "¡ El texto contiene el carácter nulo (código 0), que la base de datos no puede "
               "guardar !";
        QTest::newRow("sintaxis en SQLite")
            << int(DbError::SqlError) << "near \"SELEĆ\": syntax error"
            << "SELEĆ 1"
            << "1"
            << "¡ La sentencia utilizada es incorrecta ! Palabra: SELEĆ";
        QTest::newRow("sentencia incompleta en SQLite")
            << int(DbError::SqlError) << "incomplete input"
            << "SELECT (1"
            << "1"
            << "¡ La sentencia tiene un error de sintaxis !";
        QTest::newRow("sintaxis en PostgreSQL, por su código")
            << int(DbError::SqlError)
            << "wrong number of parameters for prepared statement \"rh_sentencia_usuario\""
            << "SELECT $1"
            << "42601"
            << "¡ La sentencia tiene un error de sintaxis !";
        QTest::newRow("valor no válido en PostgreSQL")
            << int(DbError::SqlError) << "invalid input syntax for type integer: \"a|b·'c\""
            << "SELECT 1 WHERE 1 = 'a|b·''c'"
            << "22P02"
            << "¡ El valor 'a|b·'c' no es un número entero válido !";
        QTest::newRow("valor no válido en otras palabras")
            << int(DbError::SqlError) << "la sintaxis de entrada no es válida para tipo integer"
            << "SELECT 1 WHERE 1 = 'x'"
            << "22P02"
            << "¡ El dato introducido no es válido !. Repita por favor.";
        QTest::newRow("parámetros del controlador")
            << int(DbError::SqlError) << "Parameter count mismatch"
            << "SELECT ?"
            << ""
            << "¡ El número de parámetros de la sentencia no coincide con el de valores dados !";
        QTest::newRow("otro error de SQLite con el mismo código")
            << int(DbError::SqlError) << "no such function: nofunc"
            << "SELECT nofunc(1)"
            << "1"
            << "";
    }
    void traduccionPorCodigo() {
        QFETCH(int, codigo);
        QFETCH(QString, mensaje);
        QFETCH(QString, detalle);
        QFETCH(QString, codigoMotor);
        QFETCH(QString, texto);
        EDatabaseError e(DbError(codigo), mensaje, detalle);
        e.setEngineCode(codigoMotor).setEngineText(mensaje + QStringLiteral("\n") + detalle);
        QCOMPARE(TraduccionErrorBaseDatos(e), texto);
        // Words nobody translates are told as the engine's after a reason's
        // lead-in; uncaught, as the translator's table has it.
        QCOMPARE(MotivoError(e), !texto.isEmpty() ? texto
                                 : e.engineWords()
                                     ? QStringLiteral("Error de la base de datos: ") + mensaje
                                     : mensaje);
        // Uncaught, the same text as a warning; the program goes on.
        Lanzador objeto;
        QEvent evento(QEvent::User);
        objeto.lanzar = [&e] { throw e; };
        QCoreApplication::sendEvent(&objeto, &evento);
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().at(0).kind, QStringLiteral("A"));
        QCOMPARE(MessageSeam::log().at(0).text, texto.isEmpty() ? mensaje : texto);
        QVERIFY(!TerminacionSolicitada());
    }

    // The texts the table lists keep their translation; the incidents of an
    // import name the value that failed.
    void tablaYConversiones_data() {
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QString>("motivo");
        QTest::addColumn<QString>("sinCapturar");
        const QString repita =
            QStringLiteral("¡ El dato introducido no es válido !. Repita por favor.");
        QTest::newRow("entero") << "'abc' is not a valid integer value"
                                << "¡ El valor 'abc' no es un número entero válido !" << repita;
        QTest::newRow("número") << "'1,2,3' is not a valid floating point value"
                                << "¡ El valor '1,2,3' no es un número válido !" << repita;
        QTest::newRow("fecha") << "'31/02/2024' is not a valid date"
                               << "¡ El valor '31/02/2024' no es una fecha válida !"
                               << "¡ La fecha (u hora) introducida no es válida !. Repita por "
                                  "favor.";
        QTest::newRow("con el campo") << "'x' is not a valid boolean value for field 'Activo'"
                                      << "¡ El valor 'x' no es un valor lógico válido (SI o NO) "
                                         "para el campo Activo !"
                                      << "¡ El valor 'x' no es un valor lógico válido (SI o NO) "
                                         "para el campo Activo !";
    }
    void tablaYConversiones() {
        QFETCH(QString, mensaje);
        QFETCH(QString, motivo);
        QFETCH(QString, sinCapturar);
        const EConvertError e(mensaje);
        QCOMPARE(MotivoError(e), motivo);
        Lanzador objeto;
        QEvent evento(QEvent::User);
        objeto.lanzar = [&e] { throw e; };
        QCoreApplication::sendEvent(&objeto, &evento);
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().at(0).text, sinCapturar);
    }

    // The same errors raised by the engines themselves.
    void erroresDelMotor_data() { AddEngineRows(); }
    void erroresDelMotor() {
        const bool pg = CurrentEngine() == Engine::Postgres;
        TestDatabase t(CurrentEngine());
        TDatabase* db = t.db();
        auto error = [db](const QString& sql) {
            try {
                db->Execute(sql);
            } catch (const EDatabaseError& e) {
                return e;
            }
            return EDatabaseError(DbError::General, QStringLiteral("sin error"));
        };
        QStringList columnas;
        for (int i = 0; i < 2100; ++i) columnas << QString::number(i);
        const QString muchas = MotivoError(error(QStringLiteral("SELECT ") + columnas.join(',')));
        QVERIFY2(muchas.startsWith(QStringLiteral("¡ La consulta tiene demasiadas columnas !. "
                                                  "Seleccione menos campos. Motivo: ")),
                 qPrintable(muchas));
        if (pg) {
            const QString fecha =
                MotivoError(error(QStringLiteral("SELECT CAST('2024-13-45' AS timestamp)")));
            QVERIFY2(fecha.startsWith(QStringLiteral(
                         "¡ La fecha (u hora) está fuera del intervalo admitido !. Motivo: ")),
                     qPrintable(fecha));
            return;
        }
        // A file that may not grow is a full disk.
        db->Execute(QStringLiteral("CREATE TABLE G (A INTEGER PRIMARY KEY, B TEXT)"));
        const int paginas = db->Scalar(QStringLiteral("PRAGMA page_count")).toInt();
        db->Execute(QStringLiteral("PRAGMA max_page_count = %1").arg(paginas + 1));
        const EDatabaseError lleno = error(QStringLiteral("INSERT INTO G VALUES (1, '") +
                                           QString(20000, QLatin1Char('x')) + QStringLiteral("')"));
        const QString archivo =
            QFileInfo(t.db()->Params().folder + QStringLiteral("/") + kDatabaseFileName)
                .absoluteFilePath();
        QCOMPARE(MotivoError(lleno),
                 QStringLiteral("¡ No queda espacio en el disco de la Base de "
                                "Datos ") +
                     archivo + QStringLiteral(" !. Libere espacio e inténtelo de nuevo."));
    }

    void colaDeReconstruccion() {
        const QString ini = dir_.filePath(QStringLiteral("QEVWIN.INI"));
        QVERIFY(WriteTextFile(ini,
                              QStringLiteral("[Configuración]\r\nIdioma=ES\r\n\r\n"
                                             "[Reconstrucción Automática de Tablas]\r\n"
                                             "Tablas=C:\\DATOS\\1\\ZETA,C:\\DATOS\\1\\ALFA,\r\n"),
                              TextEncoding::Windows1252));
        ArchivoConfiguracion = ini;
        PathBaseDatosGeneral = QStringLiteral("C:\\DATOS");
        CodigoEmpresaActual = 1;
        fGENEINIC->RegistrarTablaAReconstruir(QStringLiteral("PERSONAL"),
                                              QStringLiteral("Index is out of date"));
        fGENEINIC->RegistrarTablaAReconstruir(QStringLiteral("personal"),
                                              QStringLiteral("Corrupt table/index header"));
        fGENEINIC->RegistrarTablaAReconstruir(QStringLiteral("OTRA"),
                                              QStringLiteral("Key violation"));
        fGENEINIC->RegistrarTablaAReconstruir(QString(), QStringLiteral("Index is out of date"));
        TipoBaseDatos = QStringLiteral("Microsoft SQL Server");
        fGENEINIC->RegistrarTablaAReconstruir(QStringLiteral("MSSQL"),
                                              QStringLiteral("Index is out of date"));

        TIniFile archivo(ini);
        QCOMPARE(archivo.ReadString(QStringLiteral("Reconstrucción Automática de Tablas"),
                                    QStringLiteral("Tablas"), QString()),
                 QStringLiteral("C:\\DATOS\\1\\ALFA,C:\\DATOS\\1\\PERSONAL,C:\\DATOS\\1\\ZETA,"));
        QCOMPARE(archivo.ReadString(QStringLiteral("Configuración"), QStringLiteral("Idioma"),
                                    QString()),
                 QStringLiteral("ES"));
        TextEncoding codificacion;
        QString texto;
        QVERIFY(ReadTextFile(ini, texto, &codificacion));
        QCOMPARE(codificacion, TextEncoding::Windows1252);
        ArchivoConfiguracion = QStringLiteral("QEVWIN.INI");
        PathBaseDatosGeneral.clear();
        CodigoEmpresaActual = 0;
    }

    void ventanaDeProgreso() {
        fGENEINIC->MostrarVentanaProgreso(QString(), QString(), QStringLiteral("sin ventana"));
        QCOMPARE(fGENEINIC->fGENEPROG(), nullptr);
        fGENEINIC->MostrarVentanaProgreso(QStringLiteral("ON"), QStringLiteral("Listado"),
                                          QStringLiteral("Empezando"));
        TfGENEPROG* ventana = fGENEINIC->fGENEPROG();
        QVERIFY(ventana);
        QVERIFY(ventana->isVisible());
        QCOMPARE(ventana->windowTitle(), QStringLiteral("Listado"));
        const int ancho = ventana->width();
        fGENEINIC->MostrarVentanaProgreso(
            QString(), QString(), QStringLiteral("Procesando ") + QString(200, QLatin1Char('x')));
        QVERIFY(ventana->width() > ancho);
        QVERIFY(ventana->EditProgreso->text().startsWith(QLatin1String("Procesando")));
        fGENEINIC->MostrarVentanaProgreso(QStringLiteral("OTRO"), QString(),
                                          QStringLiteral("nada"));
        QVERIFY(ventana->EditProgreso->text().startsWith(QLatin1String("Procesando")));
        fGENEINIC->MostrarVentanaProgreso(QStringLiteral("OFF"), QString(), QString());
        QCOMPARE(fGENEINIC->fGENEPROG(), nullptr);
    }

    // Runs last: the request ends the event loop as soon as it runs.
    void terminacionEnElBucle() {
        MessageSeam::deactivate();
        SolicitarTerminacion();
        QVERIFY(TerminacionSolicitada());
        QCOMPARE(QCoreApplication::exec(), 1);
    }
};

int main(int argc, char** argv) {
    TAplicacion app(argc, argv);
    TestGeneInicMensajes test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_geneinic_mensajes.moc"
