// Users and rights on both engines: the log-in with its lock after three
// wrong passwords, access levels through the profile user, settings kept in
// USUARIO, rights that fail closed when USUARIO cannot be read, hidden
// fields, preferred indexes and the search associations file.

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/geneusua.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

const QString kGeneral = QStringLiteral("DatabaseGeneral");

struct Usuario {
    QString codigo;
    QString categoria;
    QString clave;
    QString configuracion;
    QString noAccesibles;
    QString soloLectura;
    QString activos;
    QString empresas;
};

void agregar(const Usuario& u) {
    TQuery q;
    q.setDatabaseName(NombreBaseDatosSelector(kGeneral));
    q.SQL().setText(QStringLiteral(
        "INSERT INTO USUARIO (Codigo, Nombre, Categoria, ClaveAcceso, Configuracion, "
        "ProgramasNoAccesibles, ProgramasSoloLectura, ProgramasActivos, Empresas) VALUES (:c, "
        ":n, :cat, :cl, :cfg, :na, :sl, :ac, :em)"));
    const QStringList valores = {u.codigo,      u.codigo,        u.categoria,
                                 u.clave,       u.configuracion, u.noAccesibles,
                                 u.soloLectura, u.activos,       u.empresas};
    for (int i = 0; i < valores.size(); ++i) q.Params()[i]->setAsString(valores[i]);
    q.ExecSQL();
}

QString sql(const QString& sentencia, const QString& selector = kGeneral) {
    QString r;
    EjecutarSQL(nullptr, sentencia, selector, QStringLiteral("Silenciosa"), r);
    return r;
}

QString configuracion(const QString& codigo) {
    return sql(QStringLiteral("SELECT Configuracion FROM USUARIO WHERE Codigo = ") +
               ValorSQL(codigo));
}

QStringList textos(const QString& tipo = QString()) {
    QStringList l;
    for (const auto& e : MessageSeam::log())
        if (tipo.isEmpty() || e.kind == tipo) l << e.text;
    return l;
}

// Runs Accion on the message dialog on screen as soon as it shows.
void alMostrarse(std::function<void(TfGENEMENS*)> accion) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, accion] {
        auto* dialogo = qobject_cast<TfGENEMENS*>(QApplication::activeModalWidget());
        if (!dialogo || !dialogo->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        accion(dialogo);
    });
    timer->start();
}

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

}  // namespace

class TestGeneUsua : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        AutenticacionWindows = false;
        DesactivarIndicesPorUsuarioEnBusquedas = false;
        CodigoUsuarioInicial.clear();
        CodigoUsuarioActual.clear();
        ClaveAccesoUsuarioActual.clear();
        CamposNoVisiblesUsuario.clear();
    }

    void entradaConBloqueo_data() { AddEngineRows(); }
    void entradaConBloqueo() {
        QFETCH(int, engine);
        TestInstalacion inst{Engine(engine)};
        TModuloDatos modulo;
        init();
        agregar({.codigo = "PEPE",
                 .categoria = "Normal",
                 .clave = "Secreto",
                 .configuracion = "CamposNoVisibles=Importe\r\nContadorAccesos=2\r\n"});
        CodigoUsuarioInicial = QStringLiteral("PEPE");
        QString codigo;

        // A wrong password (case counts) is the third in a row: locked.
        MessageSeam::enqueue(QStringLiteral("PEPE"));
        MessageSeam::enqueue(QStringLiteral("secreto"));
        QVERIFY(!IdentificarUsuario(&modulo, codigo));
        QCOMPARE(textos(),
                 (QStringList{"Introduzca el Código de Usuario:", "Introduzca la Clave de Acceso:",
                              "¡La Clave de Acceso es incorrecta!"}));
        QVERIFY(configuracion("PEPE").contains(QLatin1String("ContadorAccesos=3")));
        QVERIFY(CodigoUsuarioActual.isEmpty());

        // Even the right password is not asked for any more.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("PEPE"));
        MessageSeam::enqueue(QStringLiteral("Secreto"));
        QVERIFY(!IdentificarUsuario(&modulo, codigo));
        QCOMPARE(textos(), (QStringList{"Introduzca el Código de Usuario:",
                                        "¡Su derecho de acceso ha sido revocado!. Contacte con el "
                                        "administrador del sistema."}));
        QCOMPARE(MessageSeam::pending(), 1);

        // Once reset by an administrator, a right password resets the count.
        GrabarConfiguracionUsuario(&modulo, QStringLiteral("PEPE"),
                                   QStringLiteral("ContadorAccesos"), QStringLiteral("1"));
        MessageSeam::activate();
        MessageSeam::enqueue(QStringLiteral("PEPE"));
        MessageSeam::enqueue(QStringLiteral("Secreto"));
        QVERIFY(IdentificarUsuario(&modulo, codigo));
        QCOMPARE(codigo, QStringLiteral("PEPE"));
        QCOMPARE(CodigoUsuarioActual, QStringLiteral("PEPE"));
        QCOMPARE(ClaveAccesoUsuarioActual, QStringLiteral("Secreto"));
        QCOMPARE(CamposNoVisiblesUsuario, QStringLiteral("Importe"));
        QVERIFY(configuracion("PEPE").contains(QLatin1String("ContadorAccesos=0")));
        QVERIFY(configuracion("PEPE").contains(QLatin1String("CamposNoVisibles=Importe")));
    }

    void entradaSinExito_data() { AddEngineRows(); }
    void entradaSinExito() {
        QFETCH(int, engine);
        TestInstalacion inst{Engine(engine)};
        TModuloDatos modulo;
        init();
        agregar({.codigo = "ANA", .categoria = "Normal"});
        QString codigo = QStringLiteral("previo");

        // Cancelled or empty: no message at all.
        MessageSeam::enqueue(MessageSeam::cancel());
        QVERIFY(!IdentificarUsuario(&modulo, codigo));
        MessageSeam::enqueue(QString());
        QVERIFY(!IdentificarUsuario(&modulo, codigo));
        QCOMPARE(textos(QStringLiteral("A")), QStringList());

        // Unknown users, quotes included.
        for (const QString& u : {QStringLiteral("NADIE"), QStringLiteral("O'Brien' OR '1'='1")}) {
            MessageSeam::clearLog();
            MessageSeam::enqueue(u);
            QVERIFY(!IdentificarUsuario(&modulo, codigo));
            QCOMPARE(textos(QStringLiteral("A")), QStringList{"¡El usuario no está definido!"});
        }
        QCOMPARE(codigo, QStringLiteral("previo"));

        // Without a password nothing more is asked.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("ANA"));
        QVERIFY(IdentificarUsuario(&modulo, codigo));
        QCOMPARE(textos().size(), 1);
        QVERIFY(ClaveAccesoUsuarioActual.isEmpty());

        // A USUARIO that cannot be read lets nobody in.
        QCOMPARE(sql(QStringLiteral("ALTER TABLE USUARIO RENAME COLUMN Codigo TO CodigoX")),
                 QString());
        MessageSeam::enqueue(QStringLiteral("ANA"));
        QVERIFY(!IdentificarUsuario(&modulo, codigo));
    }

    // The Linux account is the user: created when missing, never prompted.
    void autenticacionDelSistema_data() { AddEngineRows(); }
    void autenticacionDelSistema() {
        QFETCH(int, engine);
        TestInstalacion inst{Engine(engine)};
        TModuloDatos modulo;
        init();
        AutenticacionWindows = true;
        CodigoUsuarioInicial = QStringLiteral("OTRO");
        QString cuenta, codigo;
        NombreUsuarioWindows(cuenta);
        QVERIFY(IdentificarUsuario(&modulo, codigo));
        QCOMPARE(codigo, cuenta);
        QCOMPARE(MessageSeam::log().size(), 0);
        QCOMPARE(sql(QStringLiteral("SELECT Nombre, Categoria FROM USUARIO WHERE Codigo = ") +
                     ValorSQL(cuenta)),
                 cuenta + QStringLiteral("|Normal"));

        // A stored password is taken without asking.
        sql(QStringLiteral("UPDATE USUARIO SET ClaveAcceso = 'x1' WHERE Codigo = ") +
            ValorSQL(cuenta));
        QVERIFY(IdentificarUsuario(&modulo, codigo));
        QCOMPARE(ClaveAccesoUsuarioActual, QStringLiteral("x1"));
        QCOMPARE(MessageSeam::log().size(), 0);
    }

    // The real dialog: the user prompt preset with "U=", the password hidden.
    void dialogosDeEntrada() {
        TestInstalacion inst;
        TModuloDatos modulo;
        init();
        agregar({.codigo = "PEPE", .categoria = "Normal", .clave = "Secreto"});
        CodigoUsuarioInicial = QStringLiteral("PEPE");
        MessageSeam::activate(true);
        QString preset;
        QLineEdit::EchoMode eco = QLineEdit::Normal;
        alMostrarse([&](TfGENEMENS* d) {
            preset = d->EditRespuesta->text();
            d->pbAceptar->click();
            alMostrarse([&](TfGENEMENS* clave) {
                eco = clave->EditRespuesta->echoMode();
                QVERIFY(clave->EditRespuesta->text().isEmpty());
                QTest::keyClicks(clave->EditRespuesta, QStringLiteral("Secreto"));
                clave->pbAceptar->click();
            });
        });
        QString codigo;
        QVERIFY(IdentificarUsuario(&modulo, codigo));
        QCOMPARE(preset, QStringLiteral("PEPE"));
        QCOMPARE(eco, QLineEdit::Password);
    }

    void nivelesYPerfil_data() { AddEngineRows(); }
    void nivelesYPerfil() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        init();
        agregar({.codigo = "JEFE",
                 .categoria = "Normal",
                 .configuracion = "ProcesosNoAutorizados=Modificar Impresos\r\n"
                                  "IndicesBusqueda=PERSONAL:9\r\n",
                 .noAccesibles = "Nominas\r\nListados Varios",
                 .soloLectura = "empleados\r\nListados Varios",
                 .activos = "Calendario",
                 .empresas = "1\r\n12"});
        agregar({.codigo = "PEPE",
                 .categoria = "JEFE",
                 .configuracion = "IndicesBusqueda=PERSONAL:2,CANDIDAT:1",
                 .noAccesibles = "Empleados",
                 .empresas = "7"});
        const QString pepe = QStringLiteral("PEPE");
        QString nivel;
        QCOMPARE(NivelAccesoPrograma(&modulo, pepe, QStringLiteral("&Empleados"), nivel),
                 QStringLiteral("Solo Lectura"));
        QCOMPARE(NivelAccesoPrograma(&modulo, pepe, QStringLiteral("Puestos"), nivel),
                 QStringLiteral("Total"));
        QVERIFY(MessageSeam::log().isEmpty());
        QCOMPARE(NivelAccesoPrograma(&modulo, pepe, QStringLiteral("NOMINAS"), nivel),
                 QStringLiteral("Ninguno"));
        QCOMPARE(nivel, QStringLiteral("Ninguno"));
        QCOMPARE(textos(), QStringList{"Vd. no tiene acceso al programa NOMINAS"});
        QCOMPARE(NivelAccesoPrograma(&modulo, pepe, QStringLiteral("Listados Varios"), nivel),
                 QStringLiteral("Ninguno"));
        // A line is a whole name.
        QCOMPARE(NivelAccesoPrograma(&modulo, pepe, QStringLiteral("Nomina"), nivel),
                 QStringLiteral("Total"));

        QVERIFY(ProgramaActivo(&modulo, pepe, QStringLiteral("&Calendario")));
        QVERIFY(!ProgramaActivo(&modulo, pepe, QStringLiteral("Calendar")));
        QVERIFY(UsuarioAccedeEmpresa(&modulo, pepe, 12));
        QVERIFY(!UsuarioAccedeEmpresa(&modulo, pepe, 7));
        QVERIFY(!UsuarioAccedeEmpresa(&modulo, QStringLiteral("NADIE"), 1));
        QVERIFY(!ProcesoAutorizado(&modulo, pepe, QStringLiteral("Modificar Impresos")));
        QVERIFY(ProcesoAutorizado(&modulo, pepe, QStringLiteral("modificar impresos")));
        QString perfil;
        QCOMPARE(UsuarioPerfil(&modulo, pepe, perfil), QStringLiteral("JEFE"));
        QCOMPARE(UsuarioPerfil(&modulo, QStringLiteral("JEFE"), perfil), QStringLiteral("JEFE"));

        // The search indexes are the user's own.
        CodigoUsuarioActual = pepe;
        QCOMPARE(IndiceBusquedaUsuario(&modulo, QStringLiteral("PERSONAL")), 2);
        QCOMPARE(IndiceBusquedaUsuario(&modulo, QStringLiteral("CANDIDAT")), 1);
        QCOMPARE(IndiceBusquedaUsuario(&modulo, QStringLiteral("PUESTO")), -1);
        DesactivarIndicesPorUsuarioEnBusquedas = true;
        QCOMPARE(IndiceBusquedaUsuario(&modulo, QStringLiteral("PERSONAL")), -1);

        MessageSeam::clearLog();
        QVERIFY(!ExigirAdministrador(&modulo, pepe, QStringLiteral("Silencio")));
        QVERIFY(MessageSeam::log().isEmpty());
        QVERIFY(!ExigirAdministrador(&modulo, pepe, QString()));
        QCOMPARE(textos(), QStringList{"¡Es necesario ser un usuario con categoría de "
                                       "Administrador para realizar este proceso!"});
        QVERIFY(ExigirAdministrador(&modulo, QStringLiteral("ADMIN"), QString()));
    }

    void consultasAutorizadas_data() { AddEngineRows(); }
    void consultasAutorizadas() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        agregar({.codigo = "JEFE", .categoria = "Normal"});
        agregar({.codigo = "PEPE", .categoria = "JEFE"});
        agregar({.codigo = "ANA", .categoria = "Normal"});
        const auto guardar = [](const QString& nombre, const QString& instrucciones) {
            sql(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Instrucciones) "
                               "VALUES ('SQL', ") +
                    ValorSQL(nombre) + QStringLiteral(", ") + ValorSQL(instrucciones) +
                    QLatin1Char(')'),
                QStringLiteral("Database"));
        };
        guardar(QStringLiteral("Altas d'enero"), QStringLiteral("UsuariosAutorizados=jefe, ANA"));
        guardar(QStringLiteral("Libre"), QStringLiteral("SQL=SELECT 1"));
        const QString altas = QStringLiteral("Altas d'enero");
        QVERIFY(ConsultaAutorizada(&modulo, altas, QStringLiteral("PEPE")));  // through JEFE
        // Items are compared whole: " ANA" is not "ANA".
        QVERIFY(!ConsultaAutorizada(&modulo, altas, QStringLiteral("ANA")));
        QVERIFY(ConsultaAutorizada(&modulo, altas, QStringLiteral("ADMIN")));
        QVERIFY(ConsultaAutorizada(&modulo, QStringLiteral("Libre"), QStringLiteral("ANA")));
        QVERIFY(ConsultaAutorizada(&modulo, QStringLiteral("No existe"), QStringLiteral("ANA")));
    }

    // A failing USUARIO grants nothing; settings fall back to their defaults.
    void derechosFallanCerrados_data() { AddEngineRows(); }
    void derechosFallanCerrados() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        agregar({.codigo = "PEPE",
                 .categoria = "Normal",
                 .configuracion = "Color=Rojo",
                 .activos = "Calendario",
                 .empresas = "1"});
        sql(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Instrucciones) VALUES "
                           "('SQL', 'Altas', 'UsuariosAutorizados=PEPE')"),
            QStringLiteral("Database"));
        const QString pepe = QStringLiteral("PEPE");
        QString nivel, valor;
        QVERIFY(ConsultaAutorizada(&modulo, QStringLiteral("Altas"), pepe));

        for (const char* columna : {"Categoria", "ProgramasNoAccesibles"}) {
            const QString c = QLatin1String(columna);
            QCOMPARE(sql(QStringLiteral("ALTER TABLE USUARIO RENAME COLUMN ") + c +
                         QStringLiteral(" TO Roto")),
                     QString());
            MessageSeam::clearLog();
            QCOMPARE(NivelAccesoPrograma(&modulo, pepe, QStringLiteral("Puestos"), nivel),
                     QStringLiteral("Ninguno"));
            // A profile that cannot be read is told once, as the SQL layer
            // words it: no statement, no "no access" (false for ADMIN).
            const bool perfil = c == QLatin1String("Categoria");
            QCOMPARE(textos().size(), 1);
            QVERIFY2(textos().first().startsWith(
                         perfil ? QStringLiteral("Error. No es posible ejecutar la sentencia SQL. "
                                                 "Motivo: ¡ El campo 'Categoria' no existe")
                                : QStringLiteral("Vd. no tiene acceso al programa Puestos")),
                     qPrintable(textos().first()));
            MessageSeam::clearLog();
            QCOMPARE(ExigirAdministrador(&modulo, QStringLiteral("ADMIN"), QString()), !perfil);
            QCOMPARE(textos().size(), perfil ? 1 : 0);
            QCOMPARE(ProcesoAutorizado(&modulo, pepe, QStringLiteral("Borrar")),
                     c != QLatin1String("Categoria"));
            QCOMPARE(ProgramaActivo(&modulo, pepe, QStringLiteral("Calendario")),
                     c != QLatin1String("Categoria"));
            QCOMPARE(ConsultaAutorizada(&modulo, QStringLiteral("Altas"), pepe),
                     c != QLatin1String("Categoria"));
            QCOMPARE(
                LeerConfiguracionUsuario(&modulo, pepe, QStringLiteral("Color"), valor,
                                         QStringLiteral("Azul")),
                c == QLatin1String("Categoria") ? QStringLiteral("Azul") : QStringLiteral("Rojo"));
            QCOMPARE(sql(QStringLiteral("ALTER TABLE USUARIO RENAME COLUMN Roto TO ") + c),
                     QString());
        }
        // No data module: the most restrictive answers too.
        QCOMPARE(NivelAccesoPrograma(nullptr, pepe, QStringLiteral("Puestos"), nivel),
                 QStringLiteral("Ninguno"));
        QVERIFY(!ProcesoAutorizado(nullptr, pepe, QStringLiteral("Borrar")));
    }

    void configuracionDelUsuario_data() { AddEngineRows(); }
    void configuracionDelUsuario() {
        QFETCH(int, engine);
        TestInstalacion inst{Engine(engine)};
        TModuloDatos modulo;
        agregar({.codigo = "JEFE",
                 .categoria = "Normal",
                 .configuracion = "DiagnosticoBaseDatosActivado=SI\r\nVacia=\r\n"});
        agregar({.codigo = "PEPE",
                 .categoria = "JEFE",
                 .configuracion = "DatosBusqueda=propios\r\nDiagnosticoBaseDatosActivado=NO"});
        const QString pepe = QStringLiteral("PEPE");
        QString v;
        // Profile keys from JEFE, own keys from PEPE; names without regard to case.
        QCOMPARE(
            LeerConfiguracionUsuario(&modulo, pepe, QStringLiteral("diagnosticobasedatosactivado"),
                                     v, QStringLiteral("NO")),
            QStringLiteral("SI"));
        QCOMPARE(LeerConfiguracionUsuario(&modulo, pepe, QStringLiteral("DatosBusqueda"), v),
                 QStringLiteral("propios"));
        // Missing and empty memo lines give the default; an empty column does not.
        QCOMPARE(LeerConfiguracionUsuario(&modulo, pepe, QStringLiteral("Vacia"), v,
                                          QStringLiteral("def")),
                 QStringLiteral("def"));
        QCOMPARE(LeerConfiguracionUsuario(&modulo, pepe, QStringLiteral("Otra"), v,
                                          QStringLiteral("def")),
                 QStringLiteral("def"));
        QCOMPARE(LeerConfiguracionUsuario(&modulo, pepe, QStringLiteral("Empresas"), v,
                                          QStringLiteral("def")),
                 QString());
        QCOMPARE(LeerConfiguracionUsuario(&modulo, QStringLiteral("NADIE"),
                                          QStringLiteral("Empresas"), v, QStringLiteral("def")),
                 QStringLiteral("def"));

        GrabarConfiguracionUsuario(&modulo, pepe, QStringLiteral("OperariosNoAccesibles"),
                                   QStringLiteral("1,2"));
        GrabarConfiguracionUsuario(&modulo, pepe, QStringLiteral("DiagnosticoBaseDatosActivado"),
                                   QString());
        GrabarConfiguracionUsuario(&modulo, pepe, QStringLiteral("IndicesBusqueda"),
                                   QStringLiteral("PERSONAL:3"));
        GrabarConfiguracionUsuario(&modulo, pepe, QStringLiteral("Empresas"),
                                   QStringLiteral("1\r\n3"));
        QCOMPARE(configuracion(QStringLiteral("JEFE")),
                 QStringLiteral("Vacia=\r\nOperariosNoAccesibles=1,2\r\n"));
        QCOMPARE(configuracion(pepe), QStringLiteral("DatosBusqueda=propios\r\n"
                                                     "DiagnosticoBaseDatosActivado=NO\r\n"
                                                     "IndicesBusqueda=PERSONAL:3\r\n"));
        QVERIFY(UsuarioAccedeEmpresa(&modulo, pepe, 3));
        QVERIFY(modulo.Usuario->Active());
        QVERIFY(MessageSeam::log().isEmpty());
    }

    void camposNoVisibles() {
        CamposNoVisiblesUsuario = QStringLiteral("Importe, -ImporteNeto,,Codigo");
        QVERIFY(CampoNoVisible(nullptr, QStringLiteral("ImporteBruto")));
        QVERIFY(CampoNoVisible(nullptr, QStringLiteral("importe")));
        QVERIFY(!CampoNoVisible(nullptr, QStringLiteral("IMPORTENETO")));
        // The list ends at its first empty item.
        QVERIFY(!CampoNoVisible(nullptr, QStringLiteral("Codigo")));
        CamposNoVisiblesUsuario.clear();
        QVERIFY(!CampoNoVisible(nullptr, QStringLiteral("Importe")));
    }

    void asociacionesDeBusqueda() {
        TestInstalacion inst;
        const QString archivo = JoinPath(inst.carpeta(), QStringLiteral("BUSQUEDA.TXT"));
        QFile::remove(archivo);
        QString tabla = QStringLiteral("x");
        QCOMPARE(LeerBusqueda(nullptr, QStringLiteral("EditPais"), tabla), QString());
        GrabarBusqueda(nullptr, QStringLiteral("EditPais"), QStringLiteral("PAIS"));
        QFile f(archivo);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("EditPais=PAIS\r\n"));
        f.close();
        GrabarBusqueda(nullptr, QStringLiteral("EditSeccion"), QStringLiteral("SECCION"));
        QCOMPARE(LeerBusqueda(nullptr, QStringLiteral("editpais"), tabla), QStringLiteral("PAIS"));
        GrabarBusqueda(nullptr, QStringLiteral("EditPais"), QString());
        QCOMPARE(LeerBusqueda(nullptr, QStringLiteral("EditPais"), tabla), QString());
        QCOMPARE(LeerBusqueda(nullptr, QStringLiteral("EditSeccion"), tabla),
                 QStringLiteral("SECCION"));

        // A file that cannot be written is reported (a folder of that name
        // stops root too).
        QVERIFY(QFile::remove(archivo));
        QVERIFY(QDir().mkdir(archivo));
        GrabarBusqueda(nullptr, QStringLiteral("EditPais"), QStringLiteral("PAIS"));
        QCOMPARE(textos().size(), 1);
        QVERIFY(textos().first().startsWith(QStringLiteral(
            "No ha sido posible grabar los datos en la tabla de búsquedas. Motivo: ")));
    }
};

QTEST_MAIN(TestGeneUsua)
#include "tst_geneusua.moc"
