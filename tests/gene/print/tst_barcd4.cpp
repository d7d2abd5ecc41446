// Barcodes as a scanner reads them: each symbology drawn on an image at a
// printer's resolution and decoded by zbarimg; POSTNET and FIM, which zbar
// does not read, by the heights and widths of their bars.

#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "gene/print/barcd4.h"
#include "support/documentoprueba.h"

namespace {

struct Dibujo {
    TBarCodeType tipo;
    QString texto;
    int ancho, alto, resolucion;
    bool autoSizing = false;
};

// The symbol drawn at (20, 20) on a white image large enough for it.
QImage Imagen(TPrintBarcode& b, const QSize& tamano, int resolucion) {
    QImage imagen(tamano, QImage::Format_RGB32);
    imagen.fill(Qt::white);
    QPainter p(&imagen);
    b.DibujarCodigoBarras(&p, resolucion);
    return imagen;
}

// Runs of one row: (dark, length) from the left edge.
QList<QPair<bool, int>> Tramos(const QImage& imagen, int y) {
    QList<QPair<bool, int>> tramos;
    for (int x = 0; x < imagen.width(); ++x) {
        const bool oscuro = qGray(imagen.pixel(x, y)) < 128;
        if (!tramos.isEmpty() && tramos.last().first == oscuro)
            ++tramos.last().second;
        else
            tramos.append({oscuro, 1});
    }
    return tramos;
}

// The height of the dark column at x, and its first dark row.
QPair<int, int> Columna(const QImage& imagen, int x) {
    int primera = -1, alto = 0;
    for (int y = 0; y < imagen.height(); ++y)
        if (qGray(imagen.pixel(x, y)) < 128) {
            if (primera < 0) primera = y;
            ++alto;
        }
    return {primera, alto};
}

void Preparar(TPrintBarcode& b, TBarCodeType tipo, const QString& texto, int ancho, int alto,
              bool autoSizing) {
    b.setBarCodeType(tipo);
    b.setAutoSizing(autoSizing);
    b.setText(texto);
    b.SetBounds(20, 20, ancho, alto);
}

}  // namespace

class TestBarcd4 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty(),
                 "zbarimg (zbar-tools) is installed by scripts/install-deps");
    }

    void leidos_data() {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("ancho");
        QTest::addColumn<int>("resolucion");
        QTest::addColumn<bool>("autoSizing");
        QTest::addColumn<QString>("opciones");
        QTest::addColumn<QString>("leido");
        auto fila = [](const char* nombre, TBarCodeType t, const QString& texto, int ancho, int res,
                       bool autoSizing, const QString& opciones, const QString& leido) {
            QTest::newRow(nombre) << int(t) << texto << ancho << res << autoSizing << opciones
                                  << leido;
        };
        using T = TBarCodeType;
        fila("Code 39", T::Code39, QStringLiteral("ABC-12 $"), 600, 300, false, QString(),
             QStringLiteral("CODE-39:ABC-12 $"));
        fila("Code 39 ajustado", T::Code39, QStringLiteral("RRHH"), 200, 300, true, QString(),
             QStringLiteral("CODE-39:RRHH"));
        fila("2 de 5", T::Interleaved2Of5, QStringLiteral("12345678"), 400, 300, false, QString(),
             QStringLiteral("I2/5:12345678"));
        fila("2 de 5 impar", T::Interleaved2Of5, QStringLiteral("123"), 300, 300, false,
             QStringLiteral("-Si25.min-length=4"), QStringLiteral("I2/5:0123"));
        fila("ITF-14 de 12", T::ITF14, QStringLiteral("123456789012"), 300, 300, true, QString(),
             QStringLiteral("I2/5:01234567890128"));
        fila("ITF-14 de 13", T::ITF14, QStringLiteral("1234567890128"), 300, 300, true, QString(),
             QStringLiteral("I2/5:01234567890128"));
        fila("EAN-13 suma 89", T::EAN13, QStringLiteral("400638133393"), 100, 300, true, QString(),
             QStringLiteral("EAN-13:4006381333931"));
        fila("EAN-13 suma 90", T::EAN, QStringLiteral("400638233393"), 100, 300, true, QString(),
             QStringLiteral("EAN-13:4006382333930"));
        fila("EAN-13 sin ajuste", T::EAN13, QStringLiteral("4006381333931"), 600, 300, false,
             QString(), QStringLiteral("EAN-13:4006381333931"));
        fila("EAN-8", T::EAN8, QStringLiteral("1234567"), 100, 300, true,
             QStringLiteral("-Sean8.enable"), QStringLiteral("EAN-8:12345670"));
        fila("Code 128 de B a C", T::Code128, QStringLiteral("ABC123456"), 2000, 300, true,
             QString(), QStringLiteral("CODE-128:ABC123456"));
        fila("Code 128 SHIFT", T::Code128, QStringLiteral("A\tb"), 2000, 300, true, QString(),
             QStringLiteral("CODE-128:A\tb"));
        fila("Code 128 cifras", T::Code128, QStringLiteral("12345x"), 2000, 300, true, QString(),
             QStringLiteral("CODE-128:12345x"));
        fila("GS1-128", T::EAN128, QStringLiteral("0101234567890128"), 2000, 300, true, QString(),
             QStringLiteral("CODE-128:0101234567890128"));
        // ABC123456 is 143 modules of 12 pixels: one pixel short it is not drawn.
        fila("Code 128 ancho", T::Code128, QStringLiteral("ABC123456"), 1715, 300, true, QString(),
             QString());
        fila("Code 128 justo", T::Code128, QStringLiteral("ABC123456"), 1716, 300, true, QString(),
             QStringLiteral("CODE-128:ABC123456"));
        // A text the symbology cannot hold is not drawn: never another value.
        fila("Code 128 con eñe", T::Code128, QStringLiteral("PEÑA"), 2000, 300, true, QString(),
             QString());
        fila("Code 128 fuera de Latin-1", T::Code128, QStringLiteral("Łódź"), 2000, 300, true,
             QString(), QString());
        fila("Code 128 con euro", T::Code128, QStringLiteral("A€B"), 2000, 300, true, QString(),
             QString());
        fila("GS1-128 con letra ajena", T::EAN128, QStringLiteral("0101234567890128·"), 2000, 300,
             true, QString(), QString());
        fila("EAN-13 con letra", T::EAN13, QStringLiteral("12345678901A"), 100, 300, true,
             QString(), QString());
        fila("EAN-8 con separador", T::EAN8, QStringLiteral("123|567"), 100, 300, true,
             QStringLiteral("-Sean8.enable"), QString());
        fila("EAN-13 con espacio", T::EAN, QStringLiteral("400638 333931"), 600, 300, false,
             QString(), QString());
        fila("2 de 5 con letra", T::Interleaved2Of5, QStringLiteral("1234A678"), 400, 300, false,
             QString(), QString());
        fila("ITF-14 con letra", T::ITF14, QStringLiteral("12345678901B"), 300, 300, true,
             QString(), QString());
        fila("GS1-128 ancho", T::EAN128, QStringLiteral("0101234567890128"), 1900, 300, true,
             QString(), QString());
    }
    void leidos() {
        QFETCH(int, tipo);
        QFETCH(QString, texto);
        QFETCH(int, ancho);
        QFETCH(int, resolucion);
        QFETCH(bool, autoSizing);
        QFETCH(QString, opciones);
        QFETCH(QString, leido);
        TPrintBarcode b;
        Preparar(b, TBarCodeType(tipo), texto, ancho, 100, autoSizing);
        const QImage imagen = Imagen(b, QSize(2400, 900), resolucion);
        QCOMPARE(LeerCodigos(imagen, opciones.isEmpty() ? QStringList() : QStringList{opciones}),
                 leido);
        // What cannot be read is not drawn at all.
        if (leido.isEmpty()) QCOMPARE(Tramos(imagen, 70).size(), 1);
    }

    // The EAN digits are set in a font 14 modules high (ascent and
    // descent): at 300 dpi with automatic sizing a module is 4 pixels, and
    // the leading digit, alone left of the bars, is about 9 modules tall.
    void eanCifras() {
        TPrintBarcode b;
        Preparar(b, TBarCodeType::EAN13, QStringLiteral("400638133393"), 100, 100, true);
        const QImage imagen = Imagen(b, QSize(1200, 900), 300);
        const int m = 4;
        int x0 = -1;
        for (int x = 0; x < imagen.width() && x0 < 0; ++x)
            if (Columna(imagen, x).second > 0) x0 = x;
        QVERIFY(x0 >= 0);
        int arriba = imagen.height(), abajo = -1;
        for (int x = x0; x < x0 + 5 * m; ++x)
            for (int y = 0; y < imagen.height(); ++y)
                if (qGray(imagen.pixel(x, y)) < 128) {
                    arriba = qMin(arriba, y);
                    abajo = qMax(abajo, y);
                }
        const int alto = abajo - arriba + 1;
        QVERIFY2(alto >= 8.2 * m && alto <= 9.6 * m, qPrintable(QString::number(alto)));
    }

    // Code 39 "ABC" in 300 pixels: narrow 3 and wide 8, 13 narrow spaces
    // before the start character and 12 after the stop character.
    void code39Anchos() {
        TPrintBarcode b;
        Preparar(b, TBarCodeType::Code39, QStringLiteral("ABC"), 300, 60, false);
        b.SetBounds(0, 0, 300, 60);
        const auto tramos = Tramos(Imagen(b, QSize(300, 60), 96), 30);
        QCOMPARE(tramos.first(), qMakePair(false, 13 * 3));
        QCOMPARE(tramos.last(), qMakePair(false, 3 + 12 * 3));
        QSet<int> anchos;
        for (qsizetype i = 1; i + 1 < tramos.size(); ++i) anchos.insert(tramos[i].second);
        QCOMPARE(anchos, (QSet<int>{3, 8}));
    }

    // Wider than the widest pair: the widths come from the control's width.
    void code39Ancho() {
        TPrintBarcode b;
        Preparar(b, TBarCodeType::Code39, QStringLiteral("A"), 2000, 60, false);
        b.SetBounds(0, 0, 2000, 60);
        const auto tramos = Tramos(Imagen(b, QSize(2000, 60), 96), 30);
        QSet<int> anchos;
        for (qsizetype i = 1; i + 1 < tramos.size(); ++i) anchos.insert(tramos[i].second);
        const int unidad = 2000 / (3 * 145);
        QCOMPARE(anchos, (QSet<int>{3 * unidad, 8 * unidad}));
    }

    // POSTNET at 96 dpi: pitch 4, bars 2 wide, tall 12 and short 5 pixels,
    // short ones on the baseline; the digits and check read from the bars.
    void postnet_data() {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("barras");
        QTest::newRow("5 cifras") << int(TBarCodeType::PostNet) << QStringLiteral("12345")
                                  << QStringLiteral("123455");
        QTest::newRow("9 con guion")
            << int(TBarCodeType::PostNetZipPlus4) << QStringLiteral("12345-6789")
            << QStringLiteral("1234567895");
        QTest::newRow("PostNet de 7 es de 9")
            << int(TBarCodeType::PostNet) << QStringLiteral("1234567")
            << QStringLiteral("12345672");
        QTest::newRow("11") << int(TBarCodeType::Postnet11) << QStringLiteral("12345678901")
                            << QStringLiteral("123456789014");
        QTest::newRow("PostNet de 12 no lleva control")
            << int(TBarCodeType::PostNet) << QStringLiteral("123456789012")
            << QStringLiteral("123456789012");
    }
    void postnet() {
        QFETCH(int, tipo);
        QFETCH(QString, texto);
        QFETCH(QString, barras);
        TPrintBarcode b;
        Preparar(b, TBarCodeType(tipo), texto, 400, 40, true);
        b.SetBounds(0, 0, 400, 40);
        const QImage imagen = Imagen(b, QSize(400, 40), 96);
        QString bits;
        int x = 0;
        for (; x < imagen.width(); ++x) {
            const auto [primera, alto] = Columna(imagen, x);
            if (alto == 0) continue;
            QVERIFY2(alto == 12 || (alto == 5 && primera == 7), qPrintable(QString::number(x)));
            QCOMPARE(Columna(imagen, x + 1).second, alto);  // 2 wide
            QCOMPARE(Columna(imagen, x + 2).second, 0);
            QCOMPARE(Columna(imagen, x + 3).second, 0);
            bits += alto == 12 ? QLatin1Char('1') : QLatin1Char('0');
            x += 3;
        }
        QVERIFY(bits.startsWith(QLatin1Char('1')) && bits.endsWith(QLatin1Char('1')));
        static const QStringList tabla{QStringLiteral("11000"), QStringLiteral("00011"),
                                       QStringLiteral("00101"), QStringLiteral("00110"),
                                       QStringLiteral("01001"), QStringLiteral("01010"),
                                       QStringLiteral("01100"), QStringLiteral("10001"),
                                       QStringLiteral("10010"), QStringLiteral("10100")};
        QString cifras;
        for (qsizetype i = 1; i + 5 < bits.size(); i += 5)
            cifras += QString::number(tabla.indexOf(bits.mid(i, 5)));
        QCOMPARE(cifras, barras);
    }

    // FIM at 96 dpi: pitch 3, five eighths of an inch high; on the control
    // itself the control takes the symbol's size.
    void fim_data() {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("marca");
        QTest::newRow("A") << int(TBarCodeType::FIMA) << QStringLiteral("110010011");
        QTest::newRow("B") << int(TBarCodeType::FIMB) << QStringLiteral("101101101");
        QTest::newRow("C") << int(TBarCodeType::FIMC) << QStringLiteral("110101011");
    }
    void fim() {
        QFETCH(int, tipo);
        QFETCH(QString, marca);
        TPrintBarcode b;
        Preparar(b, TBarCodeType(tipo), QString(), 100, 100, true);
        const QImage imagen = b.grab().toImage();
        QCOMPARE(b.Width(), 96 / 2 + 3 + 2);
        QCOMPARE(b.Height(), 60);
        QString leida;
        for (int posicion = 0; posicion < 9; ++posicion) {
            const int x = posicion * 6;
            leida += Columna(imagen, x).second == 60 ? QLatin1Char('1') : QLatin1Char('0');
            QCOMPARE(Columna(imagen, x + 2).second, Columna(imagen, x).second);
            QCOMPARE(Columna(imagen, x + 3).second, 0);
        }
        QCOMPARE(leida, marca);
    }

    // Code 128 "ABC123456" on the control: set B, CODE C and three pairs, so
    // 9 symbol characters from start to check at 4 pixels a module.
    void code128EnElControl() {
        TPrintBarcode b;
        Preparar(b, TBarCodeType::Code128, QStringLiteral("ABC123456"), 100, 100, true);
        b.grab();
        QCOMPARE(b.Width(), 4 * (11 * 10 + 13 + 20));
        QCOMPARE(b.Height(), 32 * 4);
    }

    // GS1-128 at 600 dpi: module 24, height held at 20 mm (472 pixels).
    void gs1A600() {
        TPrintBarcode b;
        Preparar(b, TBarCodeType::EAN128, QStringLiteral("0112"), 100, 100, true);
        b.SetBounds(0, 0, 2400, 100);
        const QImage imagen = Imagen(b, QSize(3000, 600), 600);
        const auto tramos = Tramos(imagen, 100);
        QCOMPARE(tramos[0], qMakePair(false, 10 * 24));
        QCOMPARE(tramos[1], qMakePair(true, 2 * 24));  // START C: 2 1 1 2 3 2
        QCOMPARE(Columna(imagen, 240).second, 472);
    }

    // On a printer the printer's own resolution is used: Resolution 0 at
    // 600 dpi gives the 24-pixel module, read back from the printed page.
    void impresora() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("x.pdf"));
        QPrinter impresora(QPrinter::HighResolution);
        impresora.setOutputFormat(QPrinter::PdfFormat);
        impresora.setOutputFileName(pdf);
        impresora.setResolution(600);
        impresora.setPageSize(QPageSize(QSizeF(110, 40), QPageSize::Millimeter));
        impresora.setPageMargins(QMarginsF(0, 0, 0, 0));
        TPrintBarcode b;
        Preparar(b, TBarCodeType::EAN128, QStringLiteral("0112"), 2400, 100, true);
        QPainter p(&impresora);
        QVERIFY(p.isActive());
        b.DibujarCodigoBarras(&p, 0);
        p.end();
        QProcess ppm;
        ppm.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-r"), QStringLiteral("600"), QStringLiteral("-png"),
                   QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("pagina"))});
        QVERIFY(ppm.waitForFinished());
        const QImage pagina(dir.filePath(QStringLiteral("pagina.png")));
        QVERIFY(!pagina.isNull());
        int y = 0;
        while (y < pagina.height() && Tramos(pagina, y).size() < 3) ++y;
        const auto tramos = Tramos(pagina, y + 100);
        QVERIFY(tramos.size() > 3);
        QCOMPARE(tramos[1].first, true);
        QVERIFY2(qAbs(tramos[1].second - 48) <= 1, qPrintable(QString::number(tramos[1].second)));
        QVERIFY2(qAbs(Columna(pagina, tramos[0].second + 10).second - 472) <= 1, "height");
    }

    // On another canvas the control's Left and Top are screen pixels that
    // AutoPosition converts to the target's; FIM goes to the top right corner.
    void posicion() {
        TPrintBarcode b;
        Preparar(b, TBarCodeType::Code39, QStringLiteral("A"), 100, 50, false);
        b.SetBounds(48, 24, 100, 50);
        b.setClearZone(false);
        auto primeraBarra = [](const QImage& imagen) {
            for (int y = 0; y < imagen.height(); ++y)
                for (int x = 0; x < imagen.width(); ++x)
                    if (qGray(imagen.pixel(x, y)) < 128) return QPoint(x, y);
            return QPoint(-1, -1);
        };
        const QPoint sinConvertir = primeraBarra(Imagen(b, QSize(800, 400), 192));
        QCOMPARE(sinConvertir.y(), 24);
        b.setAutoPosition(true);
        const QPoint convertida = primeraBarra(Imagen(b, QSize(800, 400), 192));
        QCOMPARE(convertida.y(), 48);
        QCOMPARE(convertida.x() - 96, sinConvertir.x() - 48);

        Preparar(b, TBarCodeType::FIMA, QString(), 100, 100, true);
        QCOMPARE(primeraBarra(Imagen(b, QSize(800, 400), 96)),
                 QPoint(799 - 2 * 96 - 18 * 3 - 2, 1));
    }

    void vacioYEstrecho() {
        TPrintBarcode b;
        Preparar(b, TBarCodeType::Code39, QString(), 300, 60, false);
        const QImage blanco = Imagen(b, QSize(400, 100), 96);
        QCOMPARE(LeerCodigos(blanco), QString());
        QVERIFY(Tramos(blanco, 50).size() == 1);
        // Too long for the width: nothing on another canvas, the control's
        // outline on itself.
        b.setText(QStringLiteral("ABCDEFGHIJ"));
        b.SetBounds(0, 0, 100, 40);
        QCOMPARE(Tramos(Imagen(b, QSize(400, 100), 96), 20).size(), 1);
        const QImage propio = b.grab().toImage();
        QVERIFY(qGray(propio.pixel(0, 20)) < 128 && qGray(propio.pixel(99, 20)) < 128);
        QVERIFY(qGray(propio.pixel(50, 20)) > 128);
        b.setBarCodeType(TBarCodeType::EAN13);
        b.setText(QStringLiteral("12345"));
        QCOMPARE(Tramos(Imagen(b, QSize(400, 100), 96), 20).size(), 1);
        QVERIFY(qGray(b.grab().toImage().pixel(0, 20)) < 128);
        // A letter the symbology cannot hold: the same outline, no bars.
        for (const auto& [tipo, texto] :
             {std::pair{TBarCodeType::EAN13, QStringLiteral("12345678901A")},
              std::pair{TBarCodeType::Code128, QStringLiteral("PEÑA")}}) {
            b.setBarCodeType(tipo);
            b.setText(texto);
            b.SetBounds(0, 0, 100, 40);
            const QImage marco = b.grab().toImage();
            QVERIFY(qGray(marco.pixel(0, 20)) < 128 && qGray(marco.pixel(99, 20)) < 128);
            QCOMPARE(Tramos(marco, 20).size(), 3);
        }
        // Empty: nothing at all, not even the outline.
        for (const TBarCodeType t :
             {TBarCodeType::EAN13, TBarCodeType::ITF14, TBarCodeType::Code128}) {
            b.setBarCodeType(t);
            b.setText(QString());
            b.SetBounds(0, 0, 100, 40);
            QCOMPARE(Tramos(b.grab().toImage(), 20).size(), 1);
        }
    }

    void propiedades() {
        TPrintBarcode b;
        QCOMPARE(b.Text(), QStringLiteral("1234"));
        QVERIFY(b.BarCodeType() == TBarCodeType::Interleaved2Of5);
        QVERIFY(b.ClearZone() && b.AutoSizing() && !b.AutoPosition());
        QVERIFY(b.Width() >= 100);
        b.setText(QString(300, QLatin1Char('7')));
        QCOMPARE(b.Text().size(), 280);

        b.setBarCodeType(TBarCodeType::EAN13);
        b.setMagnification(3);
        QCOMPARE(b.Magnification(), 2.0);
        b.setMagnification(0.1);
        QCOMPARE(b.Magnification(), 0.8);
        b.setBarCodeType(TBarCodeType::Code128);
        b.setMagnification(2);
        QCOMPARE(b.Magnification(), 1.25);
        b.setBarCodeType(TBarCodeType::Code39);
        b.setMagnification(0.5);
        QCOMPARE(b.Magnification(), 1.25);

        b.setAutoSizing(false);
        b.setBarCodeType(TBarCodeType::Postnet11);
        QVERIFY(b.AutoSizing());
        b.setBarCodeType(TBarCodeType::Code39);
        QVERIFY(b.AutoSizing());

        QCOMPARE(b.logicalDpiY(), 96);
        b.setHeightInInches(1.0);
        QCOMPARE(b.Height(), 96);
        QCOMPARE(b.HeightInInches(), 1.0);
        b.setHeight(100);
        QCOMPARE(b.HeightInInches(), 1.042);
        b.setLeftInInches(0.5);
        QCOMPARE(b.Left(), 48);
    }

    // A bound field: EAN-13 and ITF-14 texts get zeros in front up to 12
    // digits, EAN-8 up to 7.
    void enlazado() {
        TClientDataSet ds;
        ds.FieldDefs() << TFieldDef{QStringLiteral("Codigo"), ftString, 20, false};
        ds.CreateDataSet();
        ds.Append();
        ds.FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("12345"));
        ds.Post();
        TDataSource fuente;
        fuente.setDataSet(&ds);
        TPrintBarcode b;
        b.setBarCodeType(TBarCodeType::EAN13);
        b.setDataSource(&fuente);
        b.setDataField(QStringLiteral("Codigo"));
        QCOMPARE(b.Text(), QStringLiteral("000000012345"));
        b.setBarCodeType(TBarCodeType::EAN8);
        ds.Edit();
        ds.FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("123"));
        ds.Post();
        QCOMPARE(b.Text(), QStringLiteral("0000123"));
        b.setBarCodeType(TBarCodeType::Code39);
        ds.Edit();
        ds.FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("77"));
        ds.Post();
        QCOMPARE(b.Text(), QStringLiteral("77"));
    }

    // Moved from the middle, resized by its right or top-left edges.
    void raton_data() {
        QTest::addColumn<QPoint>("pulsado");
        QTest::addColumn<QPoint>("movido");
        QTest::addColumn<QRect>("final");
        QTest::newRow("mover") << QPoint(100, 40) << QPoint(15, 5) << QRect(25, 15, 200, 80);
        QTest::newRow("derecha") << QPoint(198, 40) << QPoint(30, 7) << QRect(10, 10, 230, 80);
        QTest::newRow("arriba a la izquierda")
            << QPoint(2, 1) << QPoint(-5, 8) << QRect(5, 18, 205, 72);
        QTest::newRow("abajo") << QPoint(100, 79) << QPoint(3, -20) << QRect(10, 10, 200, 60);
    }
    void raton() {
        QFETCH(QPoint, pulsado);
        QFETCH(QPoint, movido);
        QFETCH(QRect, final);
        QWidget padre;
        padre.resize(400, 300);
        auto* b = new TPrintBarcode(&padre);
        b->setGeometry(10, 10, 200, 80);
        padre.show();
        auto enviar = [&](QEvent::Type tipo, QPoint local, Qt::MouseButtons botones) {
            QMouseEvent e(tipo, local, b->mapToGlobal(local), Qt::LeftButton, botones,
                          Qt::NoModifier);
            QCoreApplication::sendEvent(b, &e);
        };
        enviar(QEvent::MouseButtonPress, pulsado, Qt::LeftButton);
        const auto marcos = padre.findChildren<QWidget*>();
        QCOMPARE(marcos.size(), 2);  // the control and the frame
        enviar(QEvent::MouseMove, pulsado + movido, Qt::LeftButton);
        QVERIFY(b->geometry() == QRect(10, 10, 200, 80));  // only the frame moved
        enviar(QEvent::MouseButtonRelease, pulsado + movido, Qt::NoButton);
        QCOMPARE(b->geometry(), final);
        QCOMPARE(padre.findChildren<QWidget*>().size(), 1);
    }
};

QTEST_MAIN(TestBarcd4)
#include "tst_barcd4.moc"
