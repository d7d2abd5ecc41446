// Print-engine benchmark on a temporary SQLite installation. Lines printed:
//   print pdf_1000 ours=<s> raw=<s> ratio=<ours/raw>
//     1,000 one-page documents (a header, five lines, a sum) printed by the
//     engine to one "PDF:" file, against plain QSqlQuery reads of the same
//     rows drawn on a QPdfWriter, the amounts right-aligned in their column
//     as the format asks (each measured, then drawn).
//   print memo_3000 ours=<s> raw=<s> ratio=<ours/raw>
//     one document whose memo is one 3,000-character word, wrapped by the
//     engine into a 20 mm column, against QTextLayout breaking the same text
//     at the same width on a QPdfWriter.
//   print memo_100000 ours=<s> raw=<s> ratio=<ours/raw>
//     the same for a 100,000-character memo of ordinary words.
//   print first_page_before_end=<yes|no>
//     whether the preview is open while the later pages are still made.

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlQuery>
#include <QTextLayout>
#include <algorithm>
#include <cstdio>

#include "../common/instalacion.h"
#include "db/table.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "gene/print/genelimp.h"
#include "io/pdf.h"

namespace {

using bench::fail;

constexpr int kDocumentos = 1000;
constexpr int kLineas = 5;

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

const char* const kFormato =
    "[SISTEMA]\r\n"
    "Margenes=15;15\r\n"
    "InicioLineas=40\r\n"
    "AlturaLinea=6\r\n"
    "FinLineas=9999\r\n"
    "[CABECERA]\r\n"
    "Font=Arial;14;;Negrita\r\n"
    "Camp=0;0;0;Nombre\r\n"
    "Font=Arial;10\r\n"
    "Camp=0;10;0;Codigo\r\n"
    "[LINEAS]\r\n"
    "Camp=0;0;100;Concepto\r\n"
    "Camp=120;0;40;Importe;D;0.00\r\n"
    "[PIE]\r\n"
    "Suma=120;100;40;Importe;D;0.00\r\n";

void formato(const QString& codigo, const char* programa) {
    TTable t;
    t.setTableName(QStringLiteral("IMPRESO"));
    if (!AbrirTabla(fGENEINIC, &t)) fail("cannot open IMPRESO");
    t.Append();
    t.FieldByName(QStringLiteral("Codigo"))->setAsString(codigo);
    t.FieldByName(QStringLiteral("Modo"))->setAsString(QStringLiteral("Grafico"));
    t.FieldByName(QStringLiteral("Formato"))->setAsString(QStringLiteral("A4"));
    t.FieldByName(QStringLiteral("Instrucciones"))->setAsString(QLatin1String(programa));
    t.Post();
}

TfGENELIMP* motor(int documentos) {
    OmitirDialogoImpresora = true;
    auto* f = new TfGENELIMP;
    CrearTablaEstructura(fGENEINIC, f->Temporal,
                         QStringLiteral("Tabla Temporal\r\n/C/1/Codigo/ftInteger/0/*\r\n"
                                        "/C/2/Nombre/ftString/40/\r\n"
                                        "/I/1/<Primary>/Codigo/\r\n"),
                         -1);
    CrearTablaEstructura(fGENEINIC, f->LTemporal,
                         QStringLiteral("Tabla Temporal 1\r\n/C/1/Codigo/ftInteger/0/*\r\n"
                                        "/C/2/Linea/ftInteger/0/*\r\n"
                                        "/C/3/LineaMemo/ftSmallint/0/*\r\n"
                                        "/C/4/Concepto/ftString/40/\r\n"
                                        "/C/5/Importe/ftFloat/0/\r\n"
                                        "/I/1/<Primary>/Codigo;Linea;LineaMemo/\r\n"),
                         -1);
    TDatabase* db = f->Temporal->Database();
    db->StartTransaction();
    QSqlQuery& doc = db->Prepared(QStringLiteral("INSERT INTO ") + f->Temporal->TableName() +
                                  QStringLiteral(" (Codigo, Nombre) VALUES (?, ?)"));
    QSqlQuery& lin = db->Prepared(QStringLiteral("INSERT INTO ") + f->LTemporal->TableName() +
                                  QStringLiteral(" (Codigo, Linea, LineaMemo, Concepto, Importe) "
                                                 "VALUES (?, ?, 0, ?, ?)"));
    for (int d = 1; d <= documentos; ++d) {
        doc.bindValue(0, d);
        doc.bindValue(1, QStringLiteral("Documento %1").arg(d));
        db->Run(doc);
        for (int l = 1; l <= kLineas; ++l) {
            lin.bindValue(0, d);
            lin.bindValue(1, l);
            lin.bindValue(2, QStringLiteral("Concepto %1").arg(l));
            lin.bindValue(3, l * 1.25);
            db->Run(lin);
        }
    }
    db->Commit();
    f->Temporal->Open();
    f->LTemporal->setIndexFieldNames(QStringLiteral("Codigo;Linea;LineaMemo"));
    f->LTemporal->setMasterFields(QStringLiteral("Codigo"));
    f->LTemporal->Open();
    return f;
}

// An A4 page without margins at 150 dots per inch, as the documents print.
void paginaA4(QPdfWriter& pdf) {
    pdf.setResolution(150);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF());
}

// The same pages drawn straight from two plain queries.
void raw(TfGENELIMP* f, const QString& archivo) {
    QSqlQuery docs(f->Temporal->Database()->connection());
    QSqlQuery lineas(f->Temporal->Database()->connection());
    docs.exec(QStringLiteral("SELECT Codigo, Nombre FROM ") + f->Temporal->TableName() +
              QStringLiteral(" ORDER BY Codigo"));
    lineas.prepare(QStringLiteral("SELECT Concepto, Importe FROM ") + f->LTemporal->TableName() +
                   QStringLiteral(" WHERE Codigo = ? ORDER BY Linea, LineaMemo"));
    QPdfWriter pdf(archivo);
    paginaA4(pdf);
    QPainter p(&pdf);
    const double mm = 150 / 25.4;
    QFont grande(QStringLiteral("Liberation Sans"));
    grande.setPixelSize(29);
    grande.setBold(true);
    QFont normal(QStringLiteral("Liberation Sans"));
    normal.setPixelSize(21);
    // The amounts end one blank short of the column's right edge (160 mm).
    const QFontMetrics medidas(normal, &pdf);
    const double derecha = 160 * mm - medidas.horizontalAdvance(QLatin1Char(' '));
    auto importe = [&](double y, double valor) {
        const QString t = QString::number(valor, 'f', 2);
        p.drawText(QPointF(derecha - medidas.horizontalAdvance(t), y), t);
    };
    bool primera = true;
    while (docs.next()) {
        if (!primera) pdf.newPage();
        primera = false;
        p.setFont(grande);
        p.drawText(QPointF(15 * mm, 15 * mm + 25), docs.value(1).toString());
        p.setFont(normal);
        p.drawText(QPointF(15 * mm, 25 * mm + 18), docs.value(0).toString());
        lineas.bindValue(0, docs.value(0));
        lineas.exec();
        double suma = 0;
        int n = 0;
        while (lineas.next()) {
            const double y = (55 + 6 * n++) * mm + 18;
            p.drawText(QPointF(15 * mm, y), lineas.value(0).toString());
            importe(y, lineas.value(1).toDouble());
            suma += lineas.value(1).toDouble();
        }
        importe(115 * mm + 18, suma);
    }
}

const char* const kFormatoMemo =
    "[CABECERA]\r\n"
    "Font=Arial;10\r\n"
    "Camp=10;10;20;Texto;100000\r\n";

TfGENELIMP* motorMemo(const QString& texto) {
    OmitirDialogoImpresora = true;
    auto* f = new TfGENELIMP;
    CrearTablaEstructura(fGENEINIC, f->Temporal,
                         QStringLiteral("Tabla Temporal\r\n/C/1/Codigo/ftInteger/0/*\r\n"
                                        "/C/2/Texto/ftMemo/0/\r\n"
                                        "/I/1/<Primary>/Codigo/\r\n"),
                         -1);
    f->Temporal->Open();
    f->Temporal->Append();
    f->Temporal->FieldByName(QStringLiteral("Codigo"))->setAsInteger(1);
    f->Temporal->FieldByName(QStringLiteral("Texto"))->setAsString(texto);
    f->Temporal->Post();
    return f;
}

// The same text broken into a 20 mm column by QTextLayout and drawn line by
// line on a PDF page at 150 dots per inch; the number of lines.
int memoRaw(const QString& texto, const QString& archivo) {
    QPdfWriter pdf(archivo);
    paginaA4(pdf);
    QPainter p(&pdf);
    const double mm = 150 / 25.4;
    QFont fuente(QStringLiteral("Liberation Sans"));
    fuente.setPixelSize(21);
    p.setFont(fuente);
    QTextLayout layout(texto, fuente, &pdf);
    QTextOption opcion;
    opcion.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(opcion);
    layout.beginLayout();
    int lineas = 0;
    for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
        l.setLineWidth(20 * mm);
        l.setPosition(QPointF(0, lineas * l.height()));
        ++lineas;
    }
    layout.endLayout();
    layout.draw(&p, QPointF(10 * mm, 10 * mm));
    return lineas;
}

// The best of three runs of the engine and of the raw layout for one memo.
void medirMemo(const char* nombre, const QString& texto, QTemporaryDir& dir) {
    CodigoImpreso = QStringLiteral("MEMO");
    TfGENELIMP* f = motorMemo(texto);
    double ours = 1e9, base = 1e9;
    for (int vuelta = 0; vuelta < 3; ++vuelta) {
        const QString nuestro = dir.filePath(QStringLiteral("memo.pdf"));
        f->DestinoImpreso = QStringLiteral("PDF:") + nuestro;
        QElapsedTimer t;
        t.start();
        f->EjecutarImpreso();
        ours = std::min(ours, seconds(t));
        if (PdfPageCount(nuestro) != 1) fail("the engine's memo PDF lacks its page");
        t.restart();
        if (memoRaw(texto, dir.filePath(QStringLiteral("memo_raw.pdf"))) < 2)
            fail("the raw layout did not wrap");
        base = std::min(base, seconds(t));
    }
    delete f;
    std::printf("print %s ours=%.3f raw=%.3f ratio=%.2f\n", nombre, ours, base, ours / base);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Installation installation;
    InstalarServiciosFormulario();
    TModuloDatos modulo;
    formato(QStringLiteral("BENCH"), kFormato);
    CodigoImpreso = QStringLiteral("BENCH");
    PrevisualizarImpreso = false;
    QTemporaryDir dir;

    // The best of three runs of each, alternated, so that a busy machine
    // weighs on both sides alike.
    TfGENELIMP* f = motor(kDocumentos);
    double ours = 1e9, base = 1e9;
    for (int vuelta = 0; vuelta < 3; ++vuelta) {
        const QString nuestro = dir.filePath(QStringLiteral("motor.pdf"));
        f->DestinoImpreso = QStringLiteral("PDF:") + nuestro;
        QElapsedTimer t;
        t.start();
        f->EjecutarImpreso();
        ours = std::min(ours, seconds(t));
        if (PdfPageCount(nuestro) != kDocumentos) fail("the engine's PDF lacks pages");
        const QString directo = dir.filePath(QStringLiteral("directo.pdf"));
        t.restart();
        raw(f, directo);
        base = std::min(base, seconds(t));
        if (PdfPageCount(directo) != kDocumentos) fail("the raw PDF lacks pages");
    }
    delete f;
    std::printf("print pdf_1000 ours=%.3f raw=%.3f ratio=%.2f\n", ours, base, ours / base);

    // A word wider than its column, and a long memo of ordinary words.
    formato(QStringLiteral("MEMO"), kFormatoMemo);
    medirMemo("memo_3000", QString(3000, QLatin1Char('m')), dir);
    QString palabras;
    static const char* const kPalabras[] = {"contrato", "de",     "trabajo",  "indefinido",
                                            "a",        "tiempo", "completo", "con",
                                            "periodo",  "prueba"};
    for (int i = 0; palabras.size() < 100000; ++i) {
        if (!palabras.isEmpty()) palabras += QLatin1Char(' ');
        palabras += QLatin1String(kPalabras[i % 10]);
    }
    palabras.truncate(100000);
    medirMemo("memo_100000", palabras, dir);
    CodigoImpreso = QStringLiteral("BENCH");

    // The preview opens on page 1 while the rest is made.
    PrevisualizarImpreso = true;
    MessageSeam::enqueue(QStringLiteral("SI"));  // the 25-page question
    f = motor(60);
    bool abierta = false, antes = false;
    struct Vigia : QObject {
        std::function<void(TfGENELIMP*)> accion;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Show)
                if (auto* v = qobject_cast<TfGENELIMP*>(o)) accion(v);
            return false;
        }
    } vigia;
    vigia.accion = [&](TfGENELIMP* v) {
        if (abierta) return;
        abierta = true;
        antes = v->Generando;
        QObject::connect(v, &TfGENELIMP::FinGeneracion, v, [v] { v->Close(); });
        if (!v->Generando)
            QMetaObject::invokeMethod(
                v, [v] { v->Close(); }, Qt::QueuedConnection);
    };
    app.installEventFilter(&vigia);
    f->EjecutarImpreso();
    app.removeEventFilter(&vigia);
    delete f;
    std::printf("print first_page_before_end=%s\n", antes ? "yes" : "no");
    return 0;
}
