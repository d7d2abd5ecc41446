// Text routines: tokens, words and titles, quoting, memo lines, option texts.

#include <QtTest>

#include "gene/data/genetext.h"

class TestGeneText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void caracteres() {
        QVERIFY(EsMayuscula(QStringLiteral("Ñ")));
        QVERIFY(EsMayuscula(QStringLiteral("Ü")));
        QVERIFY(!EsMayuscula(QStringLiteral("ñ")));
        QVERIFY(EsMinuscula(QStringLiteral("ç")));
        QVERIFY(!EsMinuscula(QStringLiteral("ab")));  // one character only
        QVERIFY(!EsMinuscula(QString()));
        QVERIFY(EsDigito(QStringLiteral("0")) && !EsDigito(QStringLiteral("a")));

        QCOMPARE(CaracterNoUsado(QString()), QString(QChar(255)));
        QString todos;
        for (int c = 0; c < 256; ++c) todos += QChar(c);
        QCOMPARE(CaracterNoUsado(todos), QString());
        todos.remove(QChar(65));
        QCOMPARE(CaracterNoUsado(todos), QStringLiteral("A"));
    }

    void extraerToken_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("separador");
        QTest::addColumn<int>("indice");
        QTest::addColumn<QString>("pieza");
        QTest::newRow("texto vacio") << ""
                                     << ";" << 0 << "";
        QTest::newRow("sin separador") << "abc"
                                       << ";" << 0 << "abc";
        QTest::newRow("sin separador, indice 1") << "abc"
                                                 << ";" << 1 << "";
        QTest::newRow("pieza vacia final") << "a;b;"
                                           << ";" << 2 << "";
        QTest::newRow("pasado el final") << "a;b;"
                                         << ";" << 3 << "";
        QTest::newRow("pieza vacia inicial") << ";a"
                                             << ";" << 0 << "";
        QTest::newRow("tras pieza vacia") << ";a"
                                          << ";" << 1 << "a";
        QTest::newRow("piezas vacias centrales") << "a;;c"
                                                 << ";" << 2 << "c";
        QTest::newRow("varios caracteres") << "a<>b"
                                           << "<>" << 1 << "b";
        QTest::newRow("varios caracteres, restos") << "a<b<>c>"
                                                   << "<>" << 1 << "c>";
        QTest::newRow("barra") << "a|b"
                               << "|" << 1 << "b";
        QTest::newRow("con CR LF") << "a\r\nb|c"
                                   << "|" << 0 << "a\r\nb";
        QTest::newRow("indice negativo") << "a;b"
                                         << ";" << -1 << "";
        QTest::newRow("separador vacio") << "a;b"
                                         << "" << 0 << "a;b";
    }
    void extraerToken() {
        QFETCH(QString, texto);
        QFETCH(QString, separador);
        QFETCH(int, indice);
        QFETCH(QString, pieza);
        QCOMPARE(ExtraerToken(indice, texto, separador), pieza);
    }

    void extraerTokenMulticaracterConTodosLosCodigos() {
        // A text that holds every code leaves no character to stand for a
        // long separator; the pieces must come out all the same.
        QString todos;
        for (int c = 0; c < 256; ++c)
            if (c != '#') todos += QChar(c);
        const QString texto = todos + QStringLiteral("##fin");
        QCOMPARE(ExtraerToken(1, texto, QStringLiteral("##")), QStringLiteral("fin"));
    }

    void extraerTokenDesdeFinal() {
        const QString t = QStringLiteral("a;b;c");
        const QString sep = QStringLiteral(";");
        QCOMPARE(ExtraerTokenDesdeFinal(0, t, sep), QStringLiteral("c"));
        QCOMPARE(ExtraerTokenDesdeFinal(1, t, sep), QStringLiteral("b"));
        QCOMPARE(ExtraerTokenDesdeFinal(7, t, sep), QStringLiteral("a"));
        QCOMPARE(ExtraerTokenDesdeFinal(-1, t, sep), QStringLiteral("c"));
        // Occurrences re-formed by removal are not separators: N = 0 stays the last piece.
        QCOMPARE(ExtraerTokenDesdeFinal(0, QStringLiteral("x<<>>y"), QStringLiteral("<>")),
                 QStringLiteral(">y"));
    }

    void contarYReemplazar() {
        QCOMPARE(ContarOcurrencias(QStringLiteral("ab"), QStringLiteral("aabb")), 2);
        QCOMPARE(ContarOcurrencias(QStringLiteral("aa"), QStringLiteral("aaaa")), 2);
        QCOMPARE(ContarOcurrencias(QString(), QStringLiteral("aaaa")), 0);
        QCOMPARE(ContarCaracter(QLatin1Char('|'), QStringLiteral("a|b||")), 3);

        QString t = QStringLiteral("uno dos uno");
        QCOMPARE(ReemplazarTexto(QStringLiteral("uno"), QStringLiteral("1"), t),
                 QStringLiteral("1 dos 1"));
        QCOMPARE(t, QStringLiteral("1 dos 1"));
        QCOMPARE(ReemplazarTexto(QString(), QStringLiteral("x"), t), QStringLiteral("1 dos 1"));

        QCOMPARE(ReemplazarTextoRepetido(QStringLiteral("  "), QStringLiteral(" "),
                                         QStringLiteral("a     b")),
                 QStringLiteral("a b"));
        // A replacement that holds the pattern must not loop for ever.
        QCOMPARE(
            ReemplazarTextoRepetido(QStringLiteral("a"), QStringLiteral("aa"), QStringLiteral("a")),
            QStringLiteral("aa"));
    }

    void separarPalabras_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("palabras");
        QTest::newRow("dos palabras") << "CodigoPostal"
                                      << "Codigo Postal";
        QTest::newRow("siglas") << "NIF"
                                << "NIF";
        QTest::newRow("cifras") << "Nivel12"
                                << "Nivel 12";
        QTest::newRow("cifra final") << "Precio2"
                                     << "Precio 2";
        QTest::newRow("mayuscula final") << "PrecioA"
                                         << "PrecioA";
        QTest::newRow("minuscula inicial") << "codigoPostal"
                                           << "Postal";
        QTest::newRow("sin mayusculas") << "abc"
                                        << "abc";
        QTest::newRow("una letra") << "A"
                                   << "A";
        QTest::newRow("mayuscula sola al final") << "abcD"
                                                 << "abcD";
        QTest::newRow("blanco doble") << "Codigo Postal"
                                      << "Codigo Postal";
        QTest::newRow("siglas y palabra") << "NIFEmpresa"
                                          << "NIFEmpresa";
        QTest::newRow("acentos") << "AñoÚltimo"
                                 << "Año Último";
        QTest::newRow("vacio") << ""
                               << "";
    }
    void separarPalabras() {
        QFETCH(QString, nombre);
        QFETCH(QString, palabras);
        QCOMPARE(SepararPalabras(nombre), palabras);
    }

    void abreviarTitulo_data() {
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<int>("letras");
        QTest::addColumn<QString>("abreviado");
        QTest::newRow("dos palabras") << "FechaAlta" << 1 << "F.Alta";
        QTest::newRow("codigo postal") << "CodigoPostal" << 1 << "C.Postal";
        QTest::newRow("dos letras") << "FechaAltaEmpresa" << 2 << "Fe.Al.Empresa";
        QTest::newRow("letras por debajo de 1") << "FechaAlta" << 0 << "F.Alta";
        QTest::newRow("cifra inicial") << "2Turno" << 1 << "2Turno";
        QTest::newRow("una palabra") << "Fecha" << 1 << "Fecha";
        QTest::newRow("vacio") << "" << 1 << "";
    }
    void abreviarTitulo() {
        QFETCH(QString, titulo);
        QFETCH(int, letras);
        QFETCH(QString, abreviado);
        QCOMPARE(AbreviarTitulo(titulo, letras), abreviado);
    }

    void lineasMemo() {
        QVariant v = QStringLiteral("previo");
        LineasMemo(QString(), v);
        QVERIFY(v.isNull());
        LineasMemo(QStringLiteral("(Memo)"), v);
        QVERIFY(v.isNull());

        const QVariantList ab{QStringLiteral("a"), QStringLiteral("b")};
        LineasMemo(QStringLiteral("a\r\nb"), v);
        QCOMPARE(v.toList(), ab);
        LineasMemo(QStringLiteral("a\r\nb\r\n"), v);
        QCOMPARE(v.toList(), ab);
        LineasMemo(QStringLiteral("(Memo)a\r\nb"), v);
        QCOMPARE(v.toList(), ab);
        LineasMemo(QStringLiteral("a|b\r\nc"), v);
        QCOMPARE(v.toList().size(), 3);
        LineasMemo(QStringLiteral("a\r\nfinmemo\r\nb"), v);
        QCOMPARE(v.toList(), QVariantList{QStringLiteral("a")});
        LineasMemo(QStringLiteral("\r\n\r\nx"), v);
        QCOMPARE(v.toList(), (QVariantList{QString(), QString(), QStringLiteral("x")}));
    }

    void textosCortos() {
        QCOMPARE(QuitarSaltoFinal(QStringLiteral("a\r\n\r\n")), QStringLiteral("a\r\n"));
        QCOMPARE(QuitarSaltoFinal(QStringLiteral("a\n")), QStringLiteral("a\n"));
        QCOMPARE(Entrecomillar(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
        QCOMPARE(Entrecomillar(QString()), QStringLiteral("''"));
        QCOMPARE(CambiarSeparador(QStringLiteral("a;b;"), QStringLiteral(",")),
                 QStringLiteral("a,b"));
        QCOMPARE(CambiarSeparador(QStringLiteral("a;b"), QStringLiteral(",")),
                 QStringLiteral("a,b"));
        QCOMPARE(CambiarSeparador(QString(), QStringLiteral(",")), QString());
        QCOMPARE(Espacios(3), QStringLiteral("   "));
        QCOMPARE(Espacios(-2), QString());
        QCOMPARE(RepetirCaracter(QLatin1Char('-'), 0), QString());
        QCOMPARE(TextoSiNo(true), QStringLiteral("SI"));
        QCOMPARE(TextoSiNo(false), QStringLiteral("NO"));
    }

    void ordenarLineas() {
        // Without regard to case, accented letters beside their plain ones.
        QCOMPARE(OrdenarLineas(QStringLiteral("b\r\nÁrbol\r\nañil\r\nC\r\n")),
                 QStringLiteral("añil\r\nÁrbol\r\nb\r\nC\r\n"));
        QCOMPARE(OrdenarLineas(QString()), QString());
        QCOMPARE(OrdenarLineas(QStringLiteral("x")), QStringLiteral("x\r\n"));
    }

    void opciones() {
        const QString t = QStringLiteral("Titulo=Uno\r\nFormato=1=2\r\nSilenciosa\r\nVacio=");
        QCOMPARE(ValorParametro(QStringLiteral("titulo"), t), QStringLiteral("Uno"));
        QCOMPARE(ValorParametro(QStringLiteral("Formato"), t), QStringLiteral("1=2"));
        QCOMPARE(ValorParametro(QStringLiteral("Vacio"), t), QString());
        QCOMPARE(ValorParametro(QStringLiteral("Silenciosa"), t), QString());
        QCOMPARE(ValorParametro(QStringLiteral("Modo"), t), QString());
        QCOMPARE(ValorParametro(QStringLiteral("Modo"), QStringLiteral("A=1\nModo=B")),
                 QStringLiteral("B"));

        QStringList l{QStringLiteral("Empresas=1"), QStringLiteral("Nota")};
        AsignarValorLista(QStringLiteral("EMPRESAS"), QStringLiteral("2"), l);
        QCOMPARE(l.first(), QStringLiteral("EMPRESAS=2"));
        AsignarValorLista(QStringLiteral("Modo"), QStringLiteral("x=y"), l);
        QCOMPARE(ValorLista(QStringLiteral("modo"), l), QStringLiteral("x=y"));
        QCOMPARE(l.size(), 3);
        AsignarValorLista(QStringLiteral("empresas"), QString(), l);
        QCOMPARE(l, (QStringList{QStringLiteral("Nota"), QStringLiteral("Modo=x=y")}));
        AsignarValorLista(QStringLiteral("Ausente"), QString(), l);
        QCOMPARE(l.size(), 2);
    }

    void lineasTexto() {
        QCOMPARE(LineasTexto(QStringLiteral("a\r\nb\nc\rd\r\n")),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                              QStringLiteral("d")}));
        QCOMPARE(LineasTexto(QStringLiteral("\r\n")), QStringList{QString()});
        QVERIFY(LineasTexto(QString()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestGeneText)
#include "tst_genetext.moc"
