// Currency conversion of amounts for display and print.

#include "gene/data/genemone.h"

#include <QApplication>
#include <QVariant>
#include <QWidget>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/session/genecomp.h"
#include "gene/data/geneconv.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "ui/form.h"

namespace {

const QString kMenuMoneda = QStringLiteral("VerDatosEnMonedaNacionalOEuro");

// The rates are read through a cursor of the module's own, so that a form
// showing the module's MONEDA table keeps its record.
TTable* cursorMonedas(TModuloDatos* ModuloDatos) {
    if (!ModuloDatos || !fGENEINIC) return nullptr;
    auto* t = ModuloDatos->findChild<TTable*>(QStringLiteral("MonedaCambios"),
                                              Qt::FindDirectChildrenOnly);
    if (!t) {
        t = new TTable(ModuloDatos);
        t->setObjectName(QStringLiteral("MonedaCambios"));
        QString nombre;
        NombreTablaFisico(ModuloDatos, QStringLiteral("MONEDA"), nombre);
        t->setTableName(nombre);
    }
    if (!t->Active() && !AbrirTabla(fGENEINIC, t)) return nullptr;
    return t;
}

struct Moneda {
    double cambio = 0;
    int decimales = 0;
};

bool leerMoneda(TModuloDatos* ModuloDatos, int codigo, Moneda& m) {
    TTable* t = cursorMonedas(ModuloDatos);
    if (!t) return false;
    try {
        if (!t->FindKey({codigo})) return false;
        m.cambio = t->FieldByName(QStringLiteral("Cambio"))->AsFloat();
        m.decimales = t->FieldByName(QStringLiteral("Decimales"))->AsInteger();
        return true;
    } catch (const EDatabaseError&) {
        return false;
    }
}

int parametro(TModuloDatos* ModuloDatos, const char* nombre) {
    TTable* p = ModuloDatos ? ModuloDatos->ParamGenerales : nullptr;
    if (!p || !p->Active()) return 0;
    TField* f = p->FindField(QLatin1String(nombre));
    return f ? f->AsInteger() : 0;
}

// The button or menu item that decides the view: 1 convert, 0 plain, -1 none.
int vistaBoton(QObject* formulario) {
    if (!formulario) return -1;
    QObject* boton = BuscarComponente(formulario, QStringLiteral("pbEuro"));
    if (!boton) return -1;
    QVariant abajo;
    LeerPropiedad(boton, QStringLiteral("Down"), abajo);
    return abajo.toBool() ? 1 : 0;
}

int vistaMenu() {
    QObject* item = MainForm() ? BuscarComponente(MainForm(), kMenuMoneda) : nullptr;
    if (!item) return -1;
    QVariant marcado;
    LeerPropiedad(item, QStringLiteral("Checked"), marcado);
    return marcado.toBool() ? 1 : 0;
}

// The "pbEuro" of the active window, else of the main window's active MDI
// child, decides before the menu item.
int vistaFormularios() {
    QObject* activa = qobject_cast<QApplication*>(QCoreApplication::instance())
                          ? QApplication::activeWindow()
                          : nullptr;
    QObject* hijo = MainForm() ? MainForm()->ActiveMDIChild() : nullptr;
    for (QObject* formulario : {activa, hijo}) {
        try {
            const int v = vistaBoton(formulario);
            if (v >= 0) return v;
        } catch (const std::exception&) {
            // The next one decides.
        }
    }
    return -1;
}

QString convertido(TModuloDatos* ModuloDatos, const QString& texto) {
    QString r;
    ConvertirTextoImporte(ModuloDatos, texto, r);
    return r;
}

}  // namespace

TGanchoFormatoCampoImporte GanchoFormatoCampoImporte = nullptr;

double ConvertirMoneda(TModuloDatos* ModuloDatos, const QString& Modo, double Importe) {
    if (!cursorMonedas(ModuloDatos)) return Importe;
    const int base = parametro(ModuloDatos, "CodigoMonedaBase");
    const int euro = parametro(ModuloDatos, "CodigoMonedaEuro");
    const int nacional = parametro(ModuloDatos, "CodigoMonedaNacional");
    Moneda m;
    bool leida = false;
    if (base == nacional) {
        if (!leerMoneda(ModuloDatos, euro, m)) return Importe;
        leida = true;
    }
    if (base == euro) {
        if (!leerMoneda(ModuloDatos, nacional, m)) return Importe;
        leida = true;
    }
    if (!leida) {
        // A base that is neither: the rate of the currency the module's
        // MONEDA table stands on, as the system always did.
        TTable* t = ModuloDatos->Moneda;
        try {
            if (!t || !t->Active() || t->IsEmpty()) return Importe;
            m.cambio = t->FieldByName(QStringLiteral("Cambio"))->AsFloat();
            m.decimales = t->FieldByName(QStringLiteral("Decimales"))->AsInteger();
        } catch (const EDatabaseError&) {
            return Importe;
        }
    }
    if (m.cambio <= 0) return Importe;
    if (Modo == QLatin1String("AutoInverso"))
        return RedondearDecimales(Importe * m.cambio, DecimalesMonedaBase);
    if (Modo == QLatin1String("Otra Moneda"))
        return RedondearDecimales(Importe / m.cambio, DecimalesMoneda(ModuloDatos, euro));
    return RedondearDecimales(Importe / m.cambio, m.decimales);
}

void ConvertirTextoImporte(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Modo,
                           QString& Resultado) {
    QString texto = Texto;
    const bool debe = texto.contains(QLatin1Char('D'));
    const bool haber = texto.contains(QLatin1Char('H'));
    texto.remove(QLatin1Char('D'));
    texto.remove(QLatin1Char('H'));
    const double importe = TextoAReal(texto.trimmed());
    Resultado = FormatFloat(PlantillasNumericas[3], ConvertirMoneda(ModuloDatos, Modo, importe));
    if (debe) Resultado += QLatin1Char('D');
    if (haber) Resultado += QLatin1Char('H');
    const bool nacional = !(ModuloDatos && ModuloDatos->MonedaBaseDistintaNacional);
    if (!Resultado.isEmpty() && !EsCero(importe) && nacional)
        Resultado = QStringLiteral("\u20AC ") + Resultado;
}

void ConvertirTextoImporte(TModuloDatos* ModuloDatos, const QString& Texto, QString& Resultado) {
    ConvertirTextoImporte(ModuloDatos, Texto, QString(), Resultado);
}

double ConvertirImporte(TModuloDatos*, double Importe, double Cambio) {
    if (!(Cambio > 0)) Cambio = 1.0;
    return RedondearDecimales(Importe * Cambio, DecimalesMonedaBase);
}

int DecimalesMoneda(TModuloDatos* ModuloDatos, int Codigo) {
    Moneda m;
    return leerMoneda(ModuloDatos, Codigo, m) ? m.decimales : 0;
}

double CambioMoneda(TModuloDatos* ModuloDatos, int Codigo) {
    Moneda m;
    return leerMoneda(ModuloDatos, Codigo, m) ? m.cambio : 0;
}

void ImporteGetText(TModuloDatos* ModuloDatos, TField* Campo, QString& Texto, bool) {
    if (!Campo) return;
    QString plantilla = PlantillaNumericaStd;
    if (IsFloatType(Campo->DataType())) {
        if (Campo->DisplayFormat() == QLatin1String("#,###.##")) {
            if (GanchoFormatoCampoImporte) GanchoFormatoCampoImporte(Campo->FieldName(), plantilla);
        } else {
            plantilla = Campo->DisplayFormat();
        }
    }
    auto simple = [&]() {
        try {
            return FormatFloat(plantilla, Campo->AsFloat());
        } catch (const EDatabaseError&) {
            return Campo->AsString();
        }
    };

    const int formulario = vistaFormularios();
    if (formulario >= 0) {
        try {
            Texto = formulario ? convertido(ModuloDatos, Campo->AsString()) : simple();
            return;
        } catch (const std::exception&) {
        }
    }
    try {
        if (vistaMenu() != 1) {
            Texto = simple();
            return;
        }
        TDataSet* datos = Campo->DataSet();
        TField* cambio = datos ? datos->FindField(QStringLiteral("Cambio")) : nullptr;
        if (!cambio)
            if (auto* t = qobject_cast<TTable*>(datos))
                if (t->MasterSource() && t->MasterSource()->DataSet())
                    cambio = t->MasterSource()->DataSet()->FindField(QStringLiteral("Cambio"));
        // The record's own rate takes the amount to the base currency first.
        Texto = cambio ? convertido(ModuloDatos, FloatToStr(Campo->AsFloat() * cambio->AsFloat()))
                       : convertido(ModuloDatos, Campo->AsString());
    } catch (const std::exception&) {
        Texto = simple();
    }
}

void ImporteQRPrint(TModuloDatos* ModuloDatos, QObject*, QString& Valor) {
    int vista = vistaFormularios();
    if (vista < 0) vista = vistaMenu();
    if (vista == 1) Valor = convertido(ModuloDatos, Valor);
}
