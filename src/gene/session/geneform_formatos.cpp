// Display formats, administrator mode, hidden controls, and the closing of
// windows at a company change and at exit.

#include <QApplication>
#include <QPointer>

#include "db/dataset.h"
#include "db/field.h"
#include "gene/session/genecomp.h"
#include "gene/dialogs/genedeta.h"
#include "gene/session/geneform.h"
#include "gene/session/geneform_p.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/data/genelog.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/generejilla.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/form.h"

namespace {

const char* const kFormatoAplicado = "rhFormatoAplicado";
const QString kPlantillaDisenada = QStringLiteral("#,###.##");

bool Contiene(const QString& texto, const QString& palabra) {
    return !palabra.isEmpty() && texto.contains(palabra, Qt::CaseInsensitive);
}

// The entries of a ControlesNoVisibles setting ("," separated).
QStringList EntradasLista(const QString& valor) {
    QStringList lista;
    for (const QString& e : valor.split(QLatin1Char(','))) {
        const QString t = e.trimmed();
        if (!t.isEmpty() && !lista.contains(t, Qt::CaseInsensitive)) lista.append(t);
    }
    lista.sort(Qt::CaseInsensitive);
    return lista;
}

bool CargarListaUsuario() {
    if (!ModuloDatosPreparado) return false;
    QString valor;
    LeerConfiguracionUsuario(ModuloDatos, CodigoUsuarioActual,
                             QStringLiteral("ControlesNoVisibles"), valor);
    if (valor.isEmpty()) return false;
    ListaControlesNoVisibles = EntradasLista(valor);
    return true;
}

bool EsModuloDatos(const QObject* o) {
    const QString clase = QString::fromLatin1(o->metaObject()->className());
    return !o->isWidgetType() &&
           (clase == QLatin1String("TModuloDatos") || clase.startsWith(QLatin1String("TMD")));
}

}  // namespace

void FormatoCampoImporte(TfGENEINIC*, const QString& NombreCampo, QString& Formato) {
    Formato = PlantillaNumericaStd;
    if (Contiene(NombreCampo, QStringLiteral("Precio"))) {
        Formato = PlantillasNumericas[2];
        return;
    }
    if (Contiene(NombreCampo, QStringLiteral("Importe"))) {
        Formato = PlantillasNumericas[3];
        return;
    }
    for (int n = 1; n <= 5; ++n)
        for (const QString& palabra : CamposPlantillasNumericas[n])
            if (Contiene(NombreCampo, palabra.trimmed())) {
                Formato = PlantillasNumericas[n];
                return;
            }
    if (Contiene(NombreCampo, QStringLiteral("Total"))) Formato = PlantillasNumericas[3];
}

void AplicarFormatoCampo(TfGENEINIC* f, QObject* Componente) {
    if (!Componente || Componente->property(kFormatoAplicado).toBool()) return;
    if (auto* campo = qobject_cast<TField*>(Componente)) {
        Componente->setProperty(kFormatoAplicado, true);
        if (campo->DisplayFormat() == kPlantillaDisenada) {
            QString formato;
            FormatoCampoImporte(f, campo->FieldName(), formato);
            campo->setDisplayFormat(formato);
        }
        if (campo->EditMask() == kPlantillaDisenada) {
            QString formato;
            FormatoCampoImporte(f, campo->FieldName(), formato);
            campo->setEditMask(formato);
        }
        if (campo->DataType() == ftDateTime &&
            Contiene(campo->objectName(), QStringLiteral("Hora"))) {
            campo->setDisplayFormat(QStringLiteral("HH:MM:SS"));
            campo->setEditMask(QString());
            campo->OnGetText = [](TField* Sender, QString& Texto, bool) {
                TextoCampoFechaHora(ModuloDatos, Sender, Texto);
            };
            campo->OnSetText = [](TField* Sender, const QString& Texto) {
                AsignarHora(ModuloDatos, Sender, Texto);
            };
        } else if (campo->DataType() == ftDateTime || campo->DataType() == ftDate) {
            campo->OnGetText = [](TField* Sender, QString& Texto, bool) {
                TextoCampoFecha(ModuloDatos, Sender, Texto);
            };
        }
        return;
    }
    // Report controls: the expression or the data field names the value.
    QString nombre;
    QVariant v;
    if (Componente->inherits("TQRExpr")) {
        LeerPropiedad(Componente, QStringLiteral("Expression"), v);
        nombre = v.toString();
    } else if (Componente->inherits("TQRDBText")) {
        LeerPropiedad(Componente, QStringLiteral("DataField"), v);
        nombre = v.toString();
    } else {
        return;
    }
    Componente->setProperty(kFormatoAplicado, true);
    for (const QString& propiedad : {QStringLiteral("DisplayFormat"), QStringLiteral("Mask")}) {
        if (!TienePropiedad(Componente, propiedad)) continue;
        LeerPropiedad(Componente, propiedad, v);
        if (v.toString() != kPlantillaDisenada) continue;
        QString formato;
        FormatoCampoImporte(f, nombre, formato);
        AsignarPropiedad(Componente, propiedad, formato);
    }
}

void MostrarHintEnTitulo(TfGENEINIC*, const QString& Hint) {
    TForm* principal = MainForm();
    if (!principal) return;
    const int barra = Hint.indexOf(QLatin1Char('|'));
    principal->setCaption(barra >= 0 ? Hint.mid(barra + 1) : Hint);
}

void IdentificarControlesEnHint(TfGENEINIC*, QObject* Formulario) {
    if (!Formulario) return;
    const QString forma = Formulario->objectName();
    for (QObject* c : geneform::Componentes(Formulario))
        if (TienePropiedad(c, QStringLiteral("Hint")))
            AsignarPropiedad(c, QStringLiteral("Hint"),
                             QString(forma + QLatin1Char('.') + c->objectName()));
    if (ListaControlesNoVisibles.isEmpty()) CargarListaUsuario();
}

void OcultarCamposNoVisibles(TfGENEINIC*, QObject* Formulario) {
    if (!Formulario || CamposNoVisiblesUsuario.isEmpty()) return;
    TModuloDatos* m = ModuloDatosPreparado ? ModuloDatos : nullptr;
    for (QObject* c : geneform::Componentes(Formulario)) {
        try {
            if (geneform::EsClase(c, "TDBGrid")) {
                auto* rejilla = qobject_cast<TDBGrid*>(c);
                for (const QString& campo : geneform::CamposColumnasRejilla(c))
                    if (CampoNoVisible(m, campo)) OcultarColumnaRejilla(campo, rejilla);
                continue;
            }
            if (geneform::EsClase(c, "TQRCustomLabel")) {
                // A report text does not print when its field, its expression
                // or its own name is one the user may not see.
                auto oculto = [&](const char* propiedad) {
                    if (!TienePropiedad(c, QLatin1String(propiedad))) return false;
                    QVariant valor;
                    LeerPropiedad(c, QLatin1String(propiedad), valor);
                    return !valor.toString().isEmpty() && CampoNoVisible(m, valor.toString());
                };
                if (oculto("DataField") || oculto("Expression") ||
                    (!c->objectName().isEmpty() && CampoNoVisible(m, c->objectName())))
                    AsignarPropiedad(c, QStringLiteral("Enabled"), false);
                continue;
            }
            if (!TienePropiedad(c, QStringLiteral("DataField"))) continue;
            QVariant campo;
            LeerPropiedad(c, QStringLiteral("DataField"), campo);
            if (!campo.toString().isEmpty() && CampoNoVisible(m, campo.toString()))
                AsignarPropiedad(c, QStringLiteral("Visible"), false);
        } catch (const std::exception&) {
            // One control that cannot be read does not stop the others.
        }
    }
}

void OcultarControlesNoVisibles(TfGENEINIC*, QObject* Formulario) {
    if (!Formulario || !CargarListaUsuario()) return;
    const QString forma = Formulario->objectName();
    auto listado = [](const QString& entrada) {
        return ListaControlesNoVisibles.contains(entrada, Qt::CaseInsensitive);
    };
    for (QObject* c : geneform::Componentes(Formulario)) {
        try {
            if (listado(forma + QLatin1Char('.') + c->objectName())) {
                if (auto* hoja = qobject_cast<TTabSheet*>(c))
                    hoja->setTabVisible(false);
                else if (TienePropiedad(c, QStringLiteral("Visible")))
                    AsignarPropiedad(c, QStringLiteral("Visible"), false);
            }
            auto* rejilla = qobject_cast<TDBGrid*>(c);
            TDataSet* ds = rejilla ? geneform::DataSetDeRejilla(c) : nullptr;
            if (!ds) continue;
            // By the grid's columns: they stand before the data set opens and
            // makes its fields, whose component name is the data set's name
            // followed by the field name.
            const QString prefijo = forma + QLatin1Char('.') + c->objectName() + QLatin1Char('.');
            for (int i = 0; i < rejilla->Columns().Count(); ++i) {
                TColumn* columna = rejilla->Columns()[i];
                const TField* campo = columna->Field();
                if (listado(prefijo + (campo ? campo->objectName()
                                             : ds->objectName() + columna->FieldName())))
                    columna->setVisible(false);
            }
        } catch (const std::exception&) {
            // A failure on one control is ignored; the walk goes on.
        }
    }
}

void FinalizarPreparacionFormulario(TfGENEINIC* f, QObject* Formulario) {
    if (!ModoAdministradorActivado && ModoControlesNoVisiblesActivado)
        OcultarControlesNoVisibles(f, Formulario);
    TraducirFormulario(f, Formulario, QString());
}

void AgregarControlNoVisible(TfGENEINIC*, TForm* Formulario) {
    TForm* principal = MainForm();
    if (!principal) return;
    const QString palabra = principal->Caption().section(QLatin1Char(' '), 0, 0);
    if (palabra.isEmpty()) return;
    auto agregar = [](const QString& entrada) {
        if (!ListaControlesNoVisibles.contains(entrada, Qt::CaseInsensitive)) {
            ListaControlesNoVisibles.append(entrada);
            ListaControlesNoVisibles.sort(Qt::CaseInsensitive);
        }
    };
    // The word is form name + "." + control name, as the hints give it.
    const QString nombreForma = palabra.section(QLatin1Char('.'), 0, 0);
    const QString nombreControl = palabra.section(QLatin1Char('.'), 1);
    QObject* control = nullptr;
    for (TForm* forma : ApplicationForms())
        if (forma->Name() == nombreForma) {
            control = forma->FindComponent(nombreControl);
            break;
        }
    if (!control || !geneform::EsClase(control, "TDBGrid")) {
        agregar(palabra);
        return;
    }
    if (MensajeConfirmacion(
            QStringLiteral("¿Desea agregar la rejilla completa a la lista de controles?")) ==
        QLatin1String("SI")) {
        agregar(nombreForma + QLatin1Char('.') + control->objectName());
        return;
    }
    TDataSet* ds = geneform::DataSetDeRejilla(control);
    if (!ds) {
        MensajeAdvertencia(QStringLiteral(
            "¡No ha sido agregada la columna a la lista de controles!. Intente activar los datos "
            "asociados a la rejilla."));
        return;
    }
    if (ds->FieldCount() == 0) return;
    if (TField* campo = geneform::CampoSeleccionadoRejilla(control))
        agregar(nombreForma + QLatin1Char('.') + control->objectName() + QLatin1Char('.') +
                campo->objectName());
}

void FinalizarSesion(TfGENEINIC*) {
    const QList<TForm*> formas = ApplicationForms();
    for (int i = formas.size() - 1; i >= 0; --i) {
        const QString nombre = formas.at(i)->Name();
        if (nombre == QLatin1String("fGENEGANA") || !nombre.startsWith(QLatin1String("fGE")))
            RegistrarUso(ModuloDatosPreparado ? ModuloDatos : nullptr, formas.at(i),
                         QStringLiteral("Close"));
    }
    if (!ModoAdministradorActivado || ListaControlesNoVisibles.isEmpty()) return;
    if (MensajeConfirmacion(QStringLiteral("¿Desea ver la Lista de Controles No Visibles?")) ==
        QLatin1String("SI"))
        MostrarDetalle(ListaControlesNoVisibles.join(QStringLiteral("\r\n")),
                       QStringLiteral("Controles No Visibles"), QString());
    const QString usuarios = MensajePeticion(QStringLiteral(
        "Introduzca los Códigos de Usuario (separados por coma) a los que desea asignar la "
        "lista de Controles No Visibles: "));
    if (!ModuloDatosPreparado) return;
    QString agregado;
    for (const QString& e : ListaControlesNoVisibles) agregado += e + QLatin1Char(',');
    for (const QString& codigo : usuarios.split(QLatin1Char(','))) {
        const QString c = codigo.trimmed();
        if (c.isEmpty()) continue;
        QString actual;
        LeerConfiguracionUsuario(ModuloDatos, c, QStringLiteral("ControlesNoVisibles"), actual);
        GrabarConfiguracionUsuario(ModuloDatos, c, QStringLiteral("ControlesNoVisibles"),
                                   actual + agregado);
    }
}

bool CerrarFormulariosEmpresa(TfGENEINIC* f) {
    // The SQL workbench lists and saves the company's own queries: left open it
    // would show the old company's and save into a closed table.
    static const char* const kConsultas[] = {"fGENEUSQL", "fGENECSQL", "fGENECINF", "fGENEMTEX",
                                             "fGENEUINF"};
    // The framework windows that read or write the company database go too:
    // left open they would show one company's records and store what is typed
    // under the same keys of the next one (another person, another group).
    static const char* const kDatosEmpresa[] = {"fGENEDOCE", "fGENEGANA", "fGENEPARA", "fGENECPRO",
                                                "fGENELPRO", "fGENEPREV", "fGENEIMPR", "fGENELIMP",
                                                "fGENEVDET", "fGENEVLIS", "fGENERESP"};
    if (HayFormulariosOcupados(f)) return false;
    TForm* principal = MainForm();
    const QString nombrePrincipal = principal ? principal->Name() : QString();
    QList<QPointer<TForm>> cerrar;
    const QList<TForm*> formas = ApplicationForms();
    for (int i = formas.size() - 1; i >= 0; --i) {
        TForm* forma = formas.at(i);
        if (forma == principal) continue;
        const QString nombre = forma->Name();
        if (nombre == nombrePrincipal) continue;
        bool liberar = !nombre.startsWith(QLatin1String("fGE"));
        for (const char* c : kConsultas)
            if (nombre.contains(QLatin1String(c))) liberar = true;
        for (const char* c : kDatosEmpresa)
            if (nombre.startsWith(QLatin1String(c))) liberar = true;
        if (liberar) cerrar << forma;
    }
    // Every window is asked first (its unconfirmed records, as at exit): one
    // that refuses keeps the company, with all its windows, where it is.
    for (const QPointer<TForm>& forma : cerrar) {
        bool puede = false;
        if (forma && (!RunHandler(forma, [&] { puede = forma->CloseQuery(); }) || !puede))
            return false;
    }
    for (const QPointer<TForm>& forma : cerrar)
        if (forma) forma->Free();
    if (auto* app = QCoreApplication::instance()) {
        const QObjectList hijos = app->children();
        for (int i = hijos.size() - 1; i >= 0; --i)
            if (EsModuloDatos(hijos.at(i)) && hijos.at(i) != ModuloDatos) delete hijos.at(i);
    }
    delete ModuloDatos;
    return true;
}
