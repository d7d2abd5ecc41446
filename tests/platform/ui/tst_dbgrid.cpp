// TDBGrid over a table of 100,000 rows: what it reads, moving both ways,
// editing cells that post through the fields, appending and cancelling with
// the arrows, column events, drawing each row's own values, selected rows,
// an empty dataset with its titles.

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSqlQuery>
#include <QVBoxLayout>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/session/genecomp.h"
#include "support/dbfixture.h"
#include "support/lienzoprueba.h"
#include "support/tecladoprueba.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/form.h"

namespace {

constexpr int kRows = 100000;

// PERSONAL: Codigo (key), Nombre, Importe; every Codigo from 1 to kRows.
void createPersonal(TDatabase* db) {
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("PERSONAL"));
    t.FieldDefs().Add(QStringLiteral("Codigo"), ftInteger, 0, true);
    t.FieldDefs().Add(QStringLiteral("Nombre"), ftString, 30);
    t.FieldDefs().Add(QStringLiteral("Importe"), ftFloat);
    t.IndexDefs().Add(QStringLiteral("<Primary>"), QStringLiteral("Codigo"), ixPrimary | ixUnique);
    t.CreateTable();
    db->Execute(QStringLiteral(
                    "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                    "INSERT INTO PERSONAL (Codigo, Nombre, Importe) "
                    "SELECT x, 'Nombre ' || x, x * 1.5 FROM n")
                    .arg(kRows));
}

// The table with persistent fields (labels and widths as a form gives them)
// and a filter that counts the rows the dataset looks at.
struct Personal {
    TTable table;
    TDataSource source;
    int leidas = 0;
    explicit Personal(bool contar = true) {
        table.setDatabaseName(QStringLiteral("Database"));
        table.setTableName(QStringLiteral("PERSONAL"));
        TField* codigo = table.AddField(QStringLiteral("Codigo"));
        codigo->setDisplayLabel(QStringLiteral("Código"));
        codigo->setDisplayWidth(12);
        table.AddField(QStringLiteral("Nombre"))->setDisplayWidth(45);
        TField* importe = table.AddField(QStringLiteral("Importe"));
        importe->setVisible(false);
        importe->setDisplayFormat(QStringLiteral("#,##0.00"));
        importe->setEditFormat(QStringLiteral("0.##"));
        if (contar) {
            table.OnFilterRecord = [this](TDataSet*, bool& accept) {
                ++leidas;
                accept = true;
            };
            table.setFiltered(true);
        }
        table.Open();
        source.setDataSet(&table);
    }
    int codigo() const { return table.FieldByName(QStringLiteral("Codigo"))->AsInteger(); }
};

struct Rejilla {
    TForm form;
    TDBGrid* grid = new TDBGrid(&form);
    explicit Rejilla(TDataSource* source) {
        auto* box = new QVBoxLayout(&form);
        box->setContentsMargins(0, 0, 0, 0);
        box->addWidget(grid);
        grid->setObjectName(QStringLiteral("DBGrid1"));
        grid->setDataSource(source);
        form.resize(500, 300);
        form.show();
        QTest::qWaitForWindowActive(&form);
        grid->setFocus();
    }
    QString cell(int row, int col) const {
        return grid->model()->index(row, col).data().toString();
    }
    int currentRow() const { return grid->currentIndex().row(); }
};

// The first and last pixel columns of a section where its title draws ink
// (-1, -1 when none), the section's borders left out.
std::pair<int, int> ink(QHeaderView* header, int section) {
    const QImage image = header
                             ->grab(QRect(header->sectionViewportPosition(section), 0,
                                          header->sectionSize(section), header->height()))
                             .toImage();
    const int ground = qGray(image.pixel(image.width() / 2, 1));
    std::pair<int, int> found{-1, -1};
    for (int x = 1; x < image.width() - 1; ++x)
        for (int y = 3; y < image.height() - 3; ++y)
            if (qGray(image.pixel(x, y)) < ground - 80) {
                if (found.first < 0) found.first = x;
                found.second = x;
            }
    return found;
}

// The messages of the database errors that reach the program's handler
// while it lives.
struct ErroresCapturados {
    QStringList textos;
    ErroresCapturados() {
        SetApplicationExceptionHandler([this](QObject*, std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const EDatabaseError& x) {
                textos << x.Message();
            }
        });
    }
    ~ErroresCapturados() { SetApplicationExceptionHandler(nullptr); }
};

// The cell editor open (the one with the focus; closed ones wait for deletion).
QLineEdit* editorAbierto() {
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

QString nombreEnBase(TDatabase* db, int codigo) {
    QSqlQuery q =
        db->Execute(QStringLiteral("SELECT Nombre FROM PERSONAL WHERE Codigo = ?"), {codigo});
    return q.next() ? q.value(0).toString() : QStringLiteral("<ninguna>");
}

// Codigo and Nombre, three lines, in a grid with an Esc shortcut on its window.
struct Lineas {
    TClientDataSet ds;
    TDataSource source;
    std::unique_ptr<Rejilla> r;
    QAction* cancelar = nullptr;
    int cancelaciones = 0;
    Lineas() {
        ds.FieldDefs() << TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, false}
                       << TFieldDef{QStringLiteral("Nombre"), ftString, 20, false};
        ds.CreateDataSet();
        for (int i = 1; i <= 3; ++i) {
            ds.Append();
            ds.Fields()[0]->setAsInteger(i);
            ds.Fields()[1]->setAsString(QStringLiteral("N%1").arg(i));
            ds.Post();
        }
        source.setDataSet(&ds);
        r = std::make_unique<Rejilla>(&source);
        // The window's "Cancelar Edición".
        cancelar = new QAction(&r->form);
        cancelar->setShortcut(QKeySequence(Qt::Key_Escape));
        r->form.addAction(cancelar);
        QObject::connect(cancelar, &QAction::triggered, [this] { ++cancelaciones; });
    }
    bool focoEnRejilla() const {
        QWidget* foco = QApplication::focusWidget();
        return foco && (foco == r->grid || r->grid->isAncestorOf(foco));
    }
};

}  // namespace

// A width given by code is in the units the forms were laid out in (digits
// six pixels wide): on screen it is scaled to the grid's font.
static int disenio(const TDBGrid* grid, int ancho) {
    return qRound(double(ancho) * grid->fontMetrics().horizontalAdvance(QLatin1Char('0')) / 6);
}

class TestDBGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void largeTableReadsAWindow();
    void gridAndDatasetMoveTogether();
    void aClickOnARowGoneMeanwhile_data();
    void aClickOnARowGoneMeanwhile();
    void tabKeepsTheKeysInTheGrid_data();
    void tabKeepsTheKeysInTheGrid();
    void lettersAndSortedPostsKeepTheLine();
    void editingACellPosts();
    void appendAndCancelWithArrows();
    void columnsAndTheirEvents();
    void postOnLeavingAColumnStaysOnTheRecord();
    void drawingSeesEachRow();
    void selectedRowsAndPublished();
    void emptyDatasetShowsTitlesAndStartsARow();
    void linesTypedFromTheKeyboard();
    void escDropsTheLineOnly_data();
    void escDropsTheLineOnly();
    void titlesFitTheirColumns_data();
    void titlesFitTheirColumns();
    void typedAmountsReadDotAsThousands_data();
    void typedAmountsReadDotAsThousands();
    void hugeValuesArePaintedCut_data();
    void hugeValuesArePaintedCut();
    void valuesTheCellEditorCannotHoldStayWhole_data();
    void valuesTheCellEditorCannotHoldStayWhole();
    void refusedCellKeepsTheFocus_data();
    void refusedCellKeepsTheFocus();
    void cleanupTestCase() { db_.reset(); }

private:
    std::unique_ptr<TestDatabase> db_;
};

void TestDBGrid::initTestCase() {
    db_ = std::make_unique<TestDatabase>(Engine::Sqlite);
    createPersonal(db_->db());
}

void TestDBGrid::largeTableReadsAWindow() {
    Personal p;
    Rejilla r(&p.source);
    const int filas = r.grid->VisibleRowCount();
    QVERIFY2(filas > 3 && filas < 30, qPrintable(QString::number(filas)));
    QCOMPARE(r.cell(0, 0), QStringLiteral("1"));
    QCOMPARE(r.cell(filas - 1, 1), QStringLiteral("Nombre %1").arg(filas));
    QVERIFY2(p.leidas < 4 * filas, qPrintable(QString::number(p.leidas)));

    // Default columns: the visible fields, their labels and widths.
    QCOMPARE(r.grid->Columns().Count(), 2);
    QCOMPARE(r.grid->Columns()[0]->Title()->Caption(), QStringLiteral("Código"));
    QVERIFY(r.grid->Columns()[1]->Width() > 3 * r.grid->Columns()[0]->Width());
    QCOMPARE(r.grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Código"));

    // To the end and back: still only windows are read.
    p.leidas = 0;
    QTest::keyClick(r.grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(p.codigo(), kRows);
    QCOMPARE(r.currentRow(), r.grid->VisibleRowCount() - 1);
    QCOMPARE(r.cell(r.currentRow(), 0), QString::number(kRows));
    QCOMPARE(r.cell(0, 0), QString::number(kRows - r.grid->VisibleRowCount() + 1));
    QTest::keyClick(r.grid, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(p.codigo(), 1);
    QVERIFY2(p.leidas < 8 * filas, qPrintable(QString::number(p.leidas)));
}

void TestDBGrid::gridAndDatasetMoveTogether() {
    Personal p;
    Rejilla r(&p.source);
    const int filas = r.grid->VisibleRowCount();

    // The grid moves the dataset...
    QTest::keyClick(r.grid, Qt::Key_Down);
    QTest::keyClick(r.grid, Qt::Key_Down);
    QCOMPARE(p.codigo(), 3);
    QCOMPARE(r.currentRow(), 2);
    QTest::keyClick(r.grid, Qt::Key_PageDown);
    QCOMPARE(p.codigo(), 3 + filas - 1);
    // past the bottom of the window the rows follow, the current stays in view
    for (int i = 0; i < filas; ++i) QTest::keyClick(r.grid, Qt::Key_Down);
    QCOMPARE(p.codigo(), 3 + 2 * filas - 1);
    QCOMPARE(r.cell(r.currentRow(), 0), QString::number(p.codigo()));
    QCOMPARE(r.currentRow(), filas - 1);
    // a click on a row
    const QRect segunda = r.grid->visualRect(r.grid->model()->index(1, 1));
    QTest::mouseClick(r.grid->viewport(), Qt::LeftButton, {}, segunda.center());
    QCOMPARE(p.codigo(), r.cell(1, 0).toInt());
    QCOMPARE(r.grid->SelectedIndex(), 1);
    // the wheel
    QWheelEvent rueda(QPointF(10, 10), r.grid->mapToGlobal(QPointF(10, 10)), {}, {0, -120},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    const int antes = p.codigo();
    QApplication::sendEvent(r.grid->viewport(), &rueda);
    QCOMPARE(p.codigo(), antes + QApplication::wheelScrollLines());

    // ...and the dataset moves the grid.
    p.table.First();
    QCOMPARE(r.currentRow(), 0);
    QCOMPARE(r.cell(0, 0), QStringLiteral("1"));
    QCOMPARE(r.grid->findChild<QScrollBar*>()->value(), 0);
    QVERIFY(p.table.Locate(QStringLiteral("Codigo"), 5000, 0));
    QCOMPARE(r.cell(r.currentRow(), 1), QStringLiteral("Nombre 5000"));
    QCOMPARE(r.grid->findChild<QScrollBar*>()->value(), 1);
    // The scroll bar's ends are the dataset's.
    r.grid->findChild<QScrollBar*>()->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(p.codigo(), kRows);
    QCOMPARE(r.grid->findChild<QScrollBar*>()->value(), 2);
    r.grid->findChild<QScrollBar*>()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(p.codigo(), kRows - 1);
}

// A row clicked that another user deleted since the window was read is
// told as the arrows tell it; the record current before the click (posted
// on the way when it was being typed) stays current, and is the one shown
// as current.
void TestDBGrid::aClickOnARowGoneMeanwhile_data() {
    QTest::addColumn<bool>("tecleada");
    QTest::addColumn<bool>("multiple");
    QTest::newRow("navegando") << false << false;
    QTest::newRow("con la línea tecleada") << true << false;
    QTest::newRow("Ctrl+clic con selección múltiple") << false << true;
}
void TestDBGrid::aClickOnARowGoneMeanwhile() {
    QFETCH(bool, tecleada);
    QFETCH(bool, multiple);
    Personal p(false);
    Rejilla r(&p.source);
    if (multiple) r.grid->setOptions(r.grid->Options() | dgMultiSelect);
    ErroresCapturados errores;
    TDatabase* db = db_->db();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    r.grid->setSelectedIndex(1);
    if (tecleada) TeclearEnFoco(QStringLiteral("Otro"));
    db->Execute(QStringLiteral("DELETE FROM PERSONAL WHERE Codigo = 3"));
    const QRect celda = r.grid->visualRect(r.grid->model()->index(2, 0));
    QTest::mouseClick(r.grid->viewport(), Qt::LeftButton,
                      multiple ? Qt::ControlModifier : Qt::KeyboardModifiers(), celda.center());
    db->Execute(QStringLiteral(
        "INSERT INTO PERSONAL (Codigo, Nombre, Importe) VALUES (3, 'Nombre 3', 4.5)"));
    QCOMPARE(errores.textos, QStringList{"Record/Key Deleted"});
    // Nothing selected for a later "Eliminación Múltiple".
    QCOMPARE(r.grid->SelectedRows().Count(), 0);
    QCOMPARE(p.table.State(), dsBrowse);
    QCOMPARE(p.codigo(), 2);
    QCOMPARE(r.cell(r.currentRow(), 0), QStringLiteral("2"));
    QCOMPARE(r.grid->SelectedIndex(), 1);
    QCOMPARE(r.grid->currentIndex().column(), 1);
    QCOMPARE(nombreEnBase(db, 2), tecleada ? QStringLiteral("Otro") : QStringLiteral("Nombre 2"));
    QVERIFY(r.grid->hasFocus());
    db->Execute(QStringLiteral("UPDATE PERSONAL SET Nombre = 'Nombre 2' WHERE Codigo = 2"));
}

// Tab and Shift+Tab move through the cells and lines of a grid and never
// take the keys out of it (the field after the grid would get what is typed
// next); Shift+Tab on the first line shown goes to the line above it, as Up.
void TestDBGrid::tabKeepsTheKeysInTheGrid_data() {
    QTest::addColumn<QString>("inicio");  // "primera", "segunda", "ultima", "cima"
    QTest::addColumn<int>("columna");
    QTest::addColumn<QString>("teclas");  // T Tab, B Shift+Tab, other letters typed
    QTest::addColumn<bool>("soloLectura");
    QTest::addColumn<int>("codigo");  // the record reached (-1 a new line; cima: relative)
    QTest::addColumn<int>("columnaFinal");
    QTest::newRow("Tab por la línea hasta la siguiente")
        << "primera" << 0 << "TT" << false << 2 << 0;
    QTest::newRow("Tab con la celda tecleada") << "primera" << 1 << "xT" << false << 2 << 0;
    QTest::newRow("Tab hasta una línea nueva") << "ultima" << 0 << "TT" << false << -1 << 0;
    QTest::newRow("Tab en la última línea de solo lectura")
        << "ultima" << 0 << "TT" << true << kRows << 1;
    QTest::newRow("Shift+Tab a la línea de arriba") << "segunda" << 0 << "B" << false << 1 << 1;
    QTest::newRow("Shift+Tab en la primera línea mostrada")
        << "cima" << 0 << "B" << false << -1 << 1;
    QTest::newRow("Shift+Tab por la línea hacia arriba")
        << "segunda" << 1 << "BB" << false << 1 << 1;
}
void TestDBGrid::tabKeepsTheKeysInTheGrid() {
    QFETCH(QString, inicio);
    QFETCH(int, columna);
    QFETCH(QString, teclas);
    QFETCH(bool, soloLectura);
    QFETCH(int, codigo);
    QFETCH(int, columnaFinal);
    Personal p(false);
    Rejilla r(&p.source);
    // The field that follows the grid in its window.
    auto* siguiente = new QLineEdit(&r.form);
    r.form.layout()->addWidget(siguiente);
    r.grid->setReadOnly(soloLectura);
    auto enRejilla = [&r] {
        QWidget* foco = QApplication::focusWidget();
        return foco && (foco == r.grid || r.grid->isAncestorOf(foco));
    };
    QTRY_VERIFY(enRejilla());
    int cima = 0;
    if (inicio == QLatin1String("segunda")) QTest::keyClick(r.grid, Qt::Key_Down);
    if (inicio == QLatin1String("ultima") || inicio == QLatin1String("cima"))
        QTest::keyClick(r.grid, Qt::Key_End, Qt::ControlModifier);
    if (inicio == QLatin1String("cima")) {
        // A click on the first line shown of a grid scrolled to its end.
        const QRect celda = r.grid->visualRect(r.grid->model()->index(0, 0));
        QTest::mouseClick(r.grid->viewport(), Qt::LeftButton, {}, celda.center());
        cima = p.codigo();
        QVERIFY(cima > 1);
        QCOMPARE(r.currentRow(), 0);
        codigo = cima - 1;
    }
    r.grid->setSelectedIndex(columna);
    for (const QChar tecla : teclas) {
        if (tecla == QLatin1Char('T'))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        else if (tecla == QLatin1Char('B'))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        else
            TeclearEnFoco(tecla);
        QVERIFY2(enRejilla(), qPrintable(QStringLiteral("tras ") + tecla));
    }
    if (codigo < 0) {
        QCOMPARE(p.table.State(), dsInsert);
        QCOMPARE(r.currentRow(), r.grid->VisibleRowCount() - 1);
    } else {
        QCOMPARE(p.table.State(), dsBrowse);
        QCOMPARE(p.codigo(), codigo);
        QCOMPARE(r.cell(r.currentRow(), 0), QString::number(codigo));
    }
    if (inicio == QLatin1String("cima")) QCOMPARE(r.currentRow(), 0);
    QCOMPARE(r.grid->SelectedIndex(), columnaFinal);
    QCOMPARE(r.grid->currentIndex().column(), columnaFinal);
    if (teclas.contains(QLatin1Char('x')))
        QCOMPARE(nombreEnBase(db_->db(), 1), QStringLiteral("x"));
    // What is typed next goes into the cell shown as current.
    if (!soloLectura && codigo >= 0 && columnaFinal == 1) {
        TeclearEnFoco(QStringLiteral("Ana"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(nombreEnBase(db_->db(), codigo), QStringLiteral("Ana"));
    }
    QCOMPARE(siguiente->text(), QString());
    p.table.Cancel();
    db_->db()->Execute(QStringLiteral(
        "UPDATE PERSONAL SET Nombre = 'Nombre ' || Codigo WHERE Nombre NOT LIKE 'Nombre %'"));
}

// A letter typed where no cell can take it never moves the cursor to a
// record that begins with it; a new line added at the end and posted into
// its place among the others is followed by a new line at the end, never
// by the record after its place.
void TestDBGrid::lettersAndSortedPostsKeepTheLine() {
    Personal p(false);
    Rejilla r(&p.source);
    r.grid->setReadOnly(true);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
    QCOMPARE(p.codigo(), 1);
    QCOMPARE(r.currentRow(), 0);
    r.grid->setReadOnly(false);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(p.table.State(), dsInsert);
    TeclearEnFoco(QStringLiteral("-5"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    TeclearEnFoco(QStringLiteral("Primero"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(nombreEnBase(db_->db(), -5), QStringLiteral("Primero"));
    QCOMPARE(p.table.State(), dsInsert);
    QCOMPARE(r.currentRow(), r.grid->VisibleRowCount() - 1);
    QCOMPARE(r.cell(r.currentRow() - 1, 0), QString::number(kRows));
    TeclearEnFoco(QStringLiteral("9"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(nombreEnBase(db_->db(), 1), QStringLiteral("Nombre 1"));
    QCOMPARE(nombreEnBase(db_->db(), 9), QStringLiteral("Nombre 9"));
    db_->db()->Execute(QStringLiteral("DELETE FROM PERSONAL WHERE Codigo = -5"));
}

void TestDBGrid::editingACellPosts() {
    Personal p(false);
    p.table.FieldByName(QStringLiteral("Importe"))->setVisible(true);
    p.table.FieldByName(QStringLiteral("Nombre"))->OnSetText = [](TField* f, const QString& t) {
        f->setAsString(t.toUpper());
    };
    Rejilla r(&p.source);
    r.grid->Columns().RestoreDefaults();  // the field shown since
    QCOMPARE(r.grid->Columns().Count(), 3);
    QCOMPARE(r.cell(0, 2), QStringLiteral("1,50"));

    r.grid->setSelectedIndex(1);
    QTest::keyClicks(r.grid, QStringLiteral("x"));
    QCOMPARE(p.table.State(), dsEdit);
    auto* editor = editorAbierto();
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("avier"));
    QCOMPARE(editor->text(), QStringLiteral("xavier"));
    // Leaving the row posts the record through the field.
    QTest::keyClick(editor, Qt::Key_Down);
    QCOMPARE(p.table.State(), dsBrowse);
    QCOMPARE(nombreEnBase(db_->db(), 1), QStringLiteral("XAVIER"));
    QCOMPARE(r.cell(0, 1), QStringLiteral("XAVIER"));
    QCOMPARE(p.codigo(), 2);

    // A number is edited as its Text and shown with its display format.
    r.grid->setSelectedIndex(2);
    QTest::keyClick(r.grid, Qt::Key_F2);
    editor = editorAbierto();
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("3"));
    editor->setText(QStringLiteral("1234,5"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the view commits a cell after the key
    QCOMPARE(r.cell(1, 2), QStringLiteral("1.234,50"));
    p.table.Post();
    QCOMPARE(p.table.FieldByName(QStringLiteral("Importe"))->AsFloat(), 1234.5);

    // A text the field refuses leaves the value and says why.
    {
        ErroresCapturados errores;
        QTest::keyClick(r.grid, Qt::Key_F2);
        editor = editorAbierto();
        editor->setText(QStringLiteral("mucho"));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(errores.textos.size(), 1);
    }
    QCOMPARE(p.table.FieldByName(QStringLiteral("Importe"))->AsFloat(), 1234.5);
    p.table.Cancel();

    // Read-only columns and grids do not edit.
    r.grid->Columns()[1]->setReadOnly(true);
    r.grid->setSelectedIndex(1);
    QTest::keyClicks(r.grid, QStringLiteral("z"));
    QCOMPARE(p.table.State(), dsBrowse);
    r.grid->Columns()[1]->setReadOnly(false);
    r.grid->setReadOnly(true);
    QTest::keyClicks(r.grid, QStringLiteral("z"));
    QCOMPARE(p.table.State(), dsBrowse);

    // A key typed into a pick-list cell replaces its text, as in any cell.
    r.grid->setReadOnly(false);
    r.grid->Columns()[1]->setPickList({QStringLiteral("Apto"), QStringLiteral("No Apto")});
    r.grid->setSelectedIndex(1);
    TField* nombre = p.table.FieldByName(QStringLiteral("Nombre"));
    const QString antes = nombre->AsString();
    QTest::keyClicks(r.grid, QStringLiteral("A"));
    auto* lista = r.grid->findChild<QComboBox*>();
    QVERIFY(lista);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("pto"));
    QCOMPARE(lista->currentText(), QStringLiteral("Apto"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    p.table.Post();
    QCOMPARE(nombreEnBase(db_->db(), p.codigo()), QStringLiteral("APTO"));
    // The later cases read the table as it was.
    p.table.Edit();
    nombre->setAsString(antes);
    p.table.Post();
}

void TestDBGrid::appendAndCancelWithArrows() {
    Lineas l;
    TClientDataSet& ds = l.ds;
    Rejilla& r = *l.r;
    ds.Last();
    QCOMPARE(r.currentRow(), 2);
    QTest::keyClick(r.grid, Qt::Key_Down);
    QCOMPARE(ds.State(), dsInsert);
    QCOMPARE(r.grid->VisibleRowCount(), 4);
    QCOMPARE(r.currentRow(), 3);
    QCOMPARE(r.grid->model()->headerData(3, Qt::Vertical).toString(), QStringLiteral("*"));
    // Untouched, Up takes it away.
    QTest::keyClick(r.grid, Qt::Key_Up);
    QCOMPARE(ds.State(), dsBrowse);
    QCOMPARE(r.grid->VisibleRowCount(), 3);
    QCOMPARE(ds.Fields()[0]->AsInteger(), 3);

    // Typed into, the new row is posted by moving away.
    QTest::keyClick(r.grid, Qt::Key_Down);
    r.grid->setSelectedIndex(0);
    QTest::keyClicks(r.grid, QStringLiteral("4"));
    QTest::keyClick(editorAbierto(), Qt::Key_Up);
    QCOMPARE(ds.State(), dsBrowse);
    QCOMPARE(ds.RecordCount(), 4);
    // Insert inserts at the current row; Esc cancels.
    QTest::keyClick(r.grid, Qt::Key_Insert);
    QCOMPARE(ds.State(), dsInsert);
    QCOMPARE(r.grid->VisibleRowCount(), 5);
    QTest::keyClick(r.grid, Qt::Key_Escape);
    QCOMPARE(ds.State(), dsBrowse);
    QCOMPARE(r.grid->VisibleRowCount(), 4);
    // Untouched, a line inserted above the third goes with Up, which
    // reaches the line above it, as shown.
    QCOMPARE(ds.Fields()[0]->AsInteger(), 3);
    QTest::keyClick(r.grid, Qt::Key_Insert);
    QTest::keyClick(r.grid, Qt::Key_Up);
    QCOMPARE(ds.State(), dsBrowse);
    QCOMPARE(r.grid->VisibleRowCount(), 4);
    QCOMPARE(ds.Fields()[0]->AsInteger(), 2);
    QCOMPARE(r.currentRow(), 1);
}

void TestDBGrid::columnsAndTheirEvents() {
    Personal p(false);
    Rejilla r(&p.source);
    // Columns of its own: "Title,Field,Width" as forms define them.
    TColumn* nombre = r.grid->Columns().Add();
    nombre->setFieldName(QStringLiteral("Nombre"));
    nombre->Title()->setCaption(QStringLiteral("Nombre y apellidos"));
    nombre->setWidth(263);
    TColumn* codigo = r.grid->Columns().Add();
    codigo->setFieldName(QStringLiteral("Codigo"));
    codigo->setWidth(48);
    QCOMPARE(r.grid->Columns().Count(), 2);
    QCOMPARE(r.grid->Columns().State(), csCustomized);
    QCOMPARE(r.grid->columnWidth(0), disenio(r.grid, 263));
    QCOMPARE(r.cell(0, 0), nombreEnBase(db_->db(), 1));
    codigo->setVisible(false);
    QVERIFY(r.grid->isColumnHidden(1));
    codigo->setVisible(true);
    // Closing and opening keeps them.
    p.table.Close();
    p.table.Open();
    QCOMPARE(r.grid->Columns().Count(), 2);
    QCOMPARE(r.cell(0, 1), QStringLiteral("1"));

    // Leaving a column may be refused; entering one is told.
    QStringList log;
    bool permitir = false;
    r.grid->OnColExit = [&](QObject*) {
        log << QStringLiteral("exit %1").arg(r.grid->SelectedIndex());
        if (!permitir) Abort();
    };
    r.grid->OnColEnter = [&](QObject*) {
        log << QStringLiteral("enter %1").arg(r.grid->SelectedField()->FieldName());
    };
    r.grid->OnTitleClick = [&](TColumn* c) { log << QStringLiteral("title ") + c->FieldName(); };
    QTest::keyClick(r.grid, Qt::Key_Right);
    QCOMPARE(r.grid->SelectedIndex(), 0);
    QCOMPARE(r.grid->currentIndex().column(), 0);
    // The cell highlighted is the one kept, by key or by mouse.
    QCOMPARE(r.grid->selectionModel()->selectedIndexes(), QModelIndexList{r.grid->currentIndex()});
    const QRect otra = r.grid->visualRect(r.grid->model()->index(0, 1));
    QTest::mouseClick(r.grid->viewport(), Qt::LeftButton, {}, otra.center());
    QCOMPARE(r.grid->SelectedIndex(), 0);
    QCOMPARE(r.grid->selectionModel()->selectedIndexes(), QModelIndexList{r.grid->currentIndex()});
    permitir = true;
    QTest::keyClick(r.grid, Qt::Key_Right);
    QCOMPARE(r.grid->SelectedIndex(), 1);
    QTest::mouseClick(r.grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(10, r.grid->horizontalHeader()->height() / 2));
    QCOMPARE(log, QStringList({"exit 0", "exit 0", "exit 0", "enter Codigo", "title Nombre"}));

    // Back to the dataset's columns.
    r.grid->Columns().RestoreDefaults();
    QCOMPARE(r.grid->Columns().State(), csDefault);
    QCOMPARE(r.grid->Columns()[0]->FieldName(), QStringLiteral("Codigo"));
}

void TestDBGrid::postOnLeavingAColumnStaysOnTheRecord() {
    Personal p(false);
    Rejilla r(&p.source);
    // A record inserted at the top whose key sorts it to the end, posted by
    // the handler of the column being left: the grid stays on that record.
    r.grid->OnColExit = [&](QObject*) {
        if (p.table.State() == dsInsert) p.table.Post();
    };
    p.table.Insert();
    p.table.FieldByName(QStringLiteral("Codigo"))->setAsInteger(kRows + 1);
    p.table.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Nueva"));
    QTest::keyClick(r.grid, Qt::Key_Right);
    QCOMPARE(p.table.State(), dsBrowse);
    QCOMPARE(p.codigo(), kRows + 1);
    QCOMPARE(r.grid->SelectedIndex(), 1);
    QCOMPARE(r.cell(r.currentRow(), 0), QString::number(kRows + 1));
    db_->db()->Execute(QStringLiteral("DELETE FROM PERSONAL WHERE Codigo = ?"), {kRows + 1});
}

void TestDBGrid::drawingSeesEachRow() {
    Personal p(false);
    Rejilla r(&p.source);
    QTest::keyClick(r.grid, Qt::Key_Down);
    QSet<QString> vistos;
    int dibujadas = 0;
    r.grid->OnDrawColumnCell = [&](QObject* sender, const QRect& rect, int col, TColumn* column,
                                   int) {
        QCOMPARE(sender, r.grid);
        QVERIFY(r.grid->Canvas());
        ++dibujadas;
        if (col == 0) vistos << column->Field()->AsString();
        r.grid->DefaultDrawColumnCell(rect, col, column, 0);
    };
    r.grid->viewport()->repaint();
    QVERIFY(dibujadas > 0);
    // Each row drew with its own values; the current record is still the second.
    QVERIFY(vistos.contains(QStringLiteral("1")));
    QVERIFY(vistos.contains(QStringLiteral("4")));
    QCOMPARE(p.codigo(), 2);
    QCOMPARE(p.table.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("Nombre 2"));
}

void TestDBGrid::selectedRowsAndPublished() {
    Personal p(false);
    Rejilla r(&p.source);
    r.grid->setOptions(r.grid->Options() | dgMultiSelect);
    auto clic = [&](int row, Qt::KeyboardModifiers mods) {
        QTest::mouseClick(r.grid->viewport(), Qt::LeftButton, mods,
                          r.grid->visualRect(r.grid->model()->index(row, 0)).center());
    };
    clic(1, Qt::ControlModifier);
    clic(3, Qt::ControlModifier);
    QCOMPARE(r.grid->SelectedRows().Count(), 2);
    QVERIFY(r.grid->SelectedRows().CurrentRowSelected());
    p.table.GotoBookmark(r.grid->SelectedRows().Items(0));
    QCOMPARE(p.codigo(), 2);
    clic(0, Qt::NoModifier);
    QCOMPARE(r.grid->SelectedRows().Count(), 0);

    for (const char* name : {"DataSource", "Options", "ReadOnly", "SelectedIndex", "OnDblClick",
                             "OnKeyDown", "OnEditButtonClick", "OnDrawColumnCell", "OnColEnter",
                             "OnColExit", "OnTitleClick", "Width", "Visible"})
        QVERIFY2(TienePropiedad(r.grid, QLatin1String(name)), name);
    QVariant v;
    LeerPropiedad(r.grid, QStringLiteral("DataSource"), v);
    QCOMPARE(v.value<TDataSource*>(), &p.source);
    int dobles = 0;
    r.grid->OnDblClick = [&](QObject*) { ++dobles; };
    QTest::mouseDClick(r.grid->viewport(), Qt::LeftButton, {},
                       r.grid->visualRect(r.grid->model()->index(2, 1)).center());
    QCOMPARE(dobles, 1);
    QCOMPARE(p.table.State(), dsBrowse);  // a double click is no edit
}

void TestDBGrid::emptyDatasetShowsTitlesAndStartsARow() {
    TClientDataSet ds;
    ds.FieldDefs() << TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, false}
                   << TFieldDef{QStringLiteral("Nombre"), ftString, 20, false};
    TDataSource source;
    source.setDataSet(&ds);
    // Columns declared before the dataset opens, as a form's constructor does.
    Rejilla r(&source);
    for (const char* campo : {"Codigo", "Nombre"}) {
        TColumn* c = r.grid->Columns().Add();
        c->setFieldName(QLatin1String(campo));
        c->Title()->setCaption(QStringLiteral("Título ") + QLatin1String(campo));
        c->setWidth(90);
    }
    ds.CreateDataSet();
    QCoreApplication::processEvents();
    QHeaderView* titulos = r.grid->horizontalHeader();
    QCOMPARE(r.grid->model()->columnCount(), 2);
    QCOMPARE(titulos->count(), 2);
    QVERIFY(titulos->isVisible());
    // Neither the rows nor the dataset's scroll bar cover the titles.
    QVERIFY(titulos->height() > 0);
    QVERIFY(titulos->geometry().top() >= 0);
    QVERIFY(r.grid->viewport()->geometry().top() >= titulos->height());
    QVERIFY(!r.grid->findChild<QScrollBar*>()->geometry().intersects(titulos->geometry()));
    QCOMPARE(titulos->sectionSize(1), disenio(r.grid, 90));
    QCOMPARE(r.grid->model()->headerData(1, Qt::Horizontal).toString(),
             QStringLiteral("Título Nombre"));
    QCOMPARE(r.grid->VisibleRowCount(), 0);

    // Down starts the first row in the first column; typing goes into it.
    QTest::keyClick(r.grid, Qt::Key_Down);
    QCOMPARE(ds.State(), dsInsert);
    QCOMPARE(r.grid->VisibleRowCount(), 1);
    QCOMPARE(r.grid->currentIndex(), r.grid->model()->index(0, 0));
    QTest::keyClicks(r.grid, QStringLiteral("7"));
    QVERIFY(editorAbierto());
    QTest::keyClick(editorAbierto(), Qt::Key_Tab);
    QCOMPARE(r.grid->SelectedIndex(), 1);
    QCOMPARE(ds.Fields()[0]->AsInteger(), 7);
    ds.Cancel();
}

// A new line starts at the first column (or the grid's own starting
// column), whatever column the grid was on; Tab or Enter on the last column
// posts the line and starts the next one, the focus staying in the grid.
void TestDBGrid::linesTypedFromTheKeyboard() {
    Lineas l;
    TDBGrid* g = l.r->grid;
    l.ds.Last();
    g->setSelectedIndex(1);
    QTest::keyClick(g, Qt::Key_Down);
    QCOMPARE(l.ds.State(), dsInsert);
    QCOMPARE(g->SelectedIndex(), 0);
    QCOMPARE(g->currentIndex().column(), 0);

    QTest::keyClicks(g, QStringLiteral("4"));
    QTest::keyClick(editorAbierto(), Qt::Key_Tab);
    QCOMPARE(g->SelectedIndex(), 1);
    TeclearEnFoco(QStringLiteral("N4"));
    QTest::keyClick(editorAbierto(), Qt::Key_Tab);
    QCOMPARE(l.ds.RecordCount(), 4);
    QCOMPARE(l.ds.State(), dsInsert);
    QCOMPARE(g->SelectedIndex(), 0);
    QVERIFY(l.focoEnRejilla());
    // The next line goes in the same way; an untouched new line stays.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
    QTest::keyClick(editorAbierto(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(l.ds.RecordCount(), 5);
    QCOMPARE(l.ds.State(), dsInsert);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(l.ds.State(), dsBrowse);
    QCOMPARE(l.ds.Fields()[0]->AsInteger(), 5);
    QVERIFY(l.focoEnRejilla());

    // A changed line in the middle is posted, the next line shown at its start.
    l.ds.First();
    g->setSelectedIndex(1);
    QVERIFY(l.focoEnRejilla());
    TeclearEnFoco(QStringLiteral("Uno"));
    QTest::keyClick(editorAbierto(), Qt::Key_Tab);
    QCOMPARE(l.ds.State(), dsBrowse);
    QCOMPARE(l.ds.Fields()[0]->AsInteger(), 2);
    QCOMPARE(g->SelectedIndex(), 0);
    l.ds.First();
    QCOMPARE(l.ds.Fields()[1]->AsString(), QStringLiteral("Uno"));

    // A grid whose lines start elsewhere.
    g->setNewRowColumn(1);
    l.ds.Last();
    g->setSelectedIndex(0);
    QTest::keyClick(g, Qt::Key_Down);
    QCOMPARE(l.ds.State(), dsInsert);
    QCOMPARE(g->SelectedIndex(), 1);
    QCOMPARE(l.cancelaciones, 0);
    l.ds.Cancel();

    // A cell whose checks refuse to let it go keeps the keys typed next.
    bool salir = false;
    g->OnColExit = [&salir](QObject*) {
        if (!salir) Abort();
    };
    l.ds.First();
    g->setSelectedIndex(0);
    QVERIFY(l.focoEnRejilla());
    TeclearEnFoco(QStringLiteral("7"));
    QTest::keyClick(editorAbierto(), Qt::Key_Tab);
    QCOMPARE(g->SelectedIndex(), 0);
    TeclearEnFoco(QStringLiteral("8"));
    salir = true;
    QTest::keyClick(editorAbierto(), Qt::Key_Tab);
    QCOMPARE(g->SelectedIndex(), 1);
    QCOMPARE(l.ds.Fields()[0]->AsInteger(), 8);
    QCOMPARE(l.ds.Fields()[1]->AsString(), QStringLiteral("Uno"));
    l.ds.Cancel();
}

void TestDBGrid::escDropsTheLineOnly_data() {
    QTest::addColumn<bool>("celdaAbierta");
    QTest::addColumn<bool>("nueva");
    QTest::newRow("celda de una línea nueva") << true << true;
    QTest::newRow("línea nueva") << false << true;
    QTest::newRow("celda de una línea existente") << true << false;
}

// Esc in a line being typed drops that line, never the window's edit; in a
// grid that is only browsed it is the window's again.
void TestDBGrid::escDropsTheLineOnly() {
    QFETCH(bool, celdaAbierta);
    QFETCH(bool, nueva);
    Lineas l;
    TDBGrid* g = l.r->grid;
    g->setSelectedIndex(1);
    if (nueva) {
        l.ds.Last();
        QTest::keyClick(g, Qt::Key_Down);
        g->setSelectedIndex(1);
    } else {
        l.ds.First();
    }
    TeclearEnFoco(QStringLiteral("Cambio"));
    QVERIFY(editorAbierto());
    if (!celdaAbierta) QTest::keyClick(editorAbierto(), Qt::Key_Return);
    QVERIFY(l.ds.State() == dsEdit || l.ds.State() == dsInsert);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(l.ds.State(), dsBrowse);
    QCOMPARE(l.ds.RecordCount(), 3);
    QCOMPARE(l.ds.Fields()[1]->AsString(), nueva ? QStringLiteral("N3") : QStringLiteral("N1"));
    QCOMPARE(l.cancelaciones, 0);
    QVERIFY(l.focoEnRejilla());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(l.cancelaciones, 1);
}

// Columns without a width of their own: the field's display width in
// characters of the grid's font, never narrower than the title; titles
// start at the left, a long title in a narrow column keeps its beginning.
void TestDBGrid::titlesFitTheirColumns_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("characters");
    QTest::addColumn<int>("font");
    QTest::newRow("title wider than the field") << "Fecha Inicio Contrato" << 2 << 9;
    QTest::newRow("field wider than the title") << "Días" << 20 << 9;
    QTest::newRow("larger font") << "Discapacidad" << 8 << 14;
    QTest::newRow("no title") << "" << 5 << 9;
}

void TestDBGrid::titlesFitTheirColumns() {
    QFETCH(QString, title);
    QFETCH(int, characters);
    QFETCH(int, font);
    Personal p(false);
    p.table.FieldByName(QStringLiteral("Codigo"))->setDisplayWidth(characters);
    Rejilla r(&p.source);
    QFont titles = r.grid->TitleFont();
    titles.setBold(true);
    r.grid->setTitleFont(titles);
    TColumn* c = r.grid->Columns().Add();
    c->setFieldName(QStringLiteral("Codigo"));
    c->Title()->setCaption(title);
    TColumn* narrow = r.grid->Columns().Add();
    narrow->setFieldName(QStringLiteral("Nombre"));
    narrow->Title()->setCaption(QStringLiteral("Wwwwwwwwwwwwwwwwwwwwwwww"));
    narrow->setWidth(60);
    // The font set after the columns: the widths follow it.
    QFont letra = r.grid->font();
    letra.setPointSize(font);
    r.grid->setFont(letra);

    QHeaderView* header = r.grid->horizontalHeader();
    const int width = r.grid->columnWidth(0);
    QCOMPARE(c->Width(), width);
    QVERIFY(width >= characters * r.grid->fontMetrics().horizontalAdvance(QLatin1Char('0')));
    QCOMPARE(r.grid->columnWidth(1), disenio(r.grid, 60));
    // A width the user dragged is on-screen pixels: a later font keeps it.
    header->resizeSection(1, 77);
    QCOMPARE(narrow->Width(), 77);
    letra.setPointSize(font + 2);
    r.grid->setFont(letra);
    QCOMPARE(r.grid->columnWidth(1), 77);
    letra.setPointSize(font);
    r.grid->setFont(letra);
    if (title.isEmpty()) return;
    // From the left edge, also where the title is longer than its column.
    const auto [left, right] = ink(header, 0);
    QVERIFY2(left >= 0 && left < 10, qPrintable(QString::number(left)));
    // Whole: as wide as the title's letters.
    const int letters = header->fontMetrics().boundingRect(title).width();
    QVERIFY2(right - left + 3 >= letters,
             qPrintable(QStringLiteral("%1 of %2").arg(right - left + 1).arg(letters)));
    QVERIFY2(ink(header, 1).first < 10, qPrintable(QString::number(ink(header, 1).first)));
}

QTEST_MAIN(TestDBGrid)
// An amount shown with the standard template "#,###.##" and no edit format,
// typed over in an edit or a grid cell: "." is only a thousands mark, what
// the engine stores is read back with its own SQL.
void TestDBGrid::typedAmountsReadDotAsThousands_data() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<double>("guardado");  // NaN: refused, 1500 stays
    const double refused = std::numeric_limits<double>::quiet_NaN();
    struct Caso {
        const char* nombre;
        const char* texto;
        double valor;
    };
    const Caso casos[] = {{"miles", "1.600", 1600},
                          {"miles y decimales", "1.600,25", 1600.25},
                          {"coma decimal", "1,6", 1.6},
                          {"punto sin tres cifras", "1.6", refused},
                          {"punto tras la coma", "1,5.000", refused},
                          {"cero antes del punto", "0.125", refused},
                          {"primer grupo largo", "12345.678", refused},
                          {"dos grupos", "-1.234.567,89", -1234567.89},
                          {"negativo pequeño", "-0,05", -0.05}};
    for (Engine e : AvailableEngines())
        for (const char* control : {"edit", "rejilla"})
            for (const char* campo : {"Importe", "Moneda"})
                for (const Caso& c : casos) {
                    const QByteArray caso = QByteArray(control) + ' ' + campo + ' ' + c.nombre;
                    NewEngineRow(e, caso.constData()) << control << campo << c.texto << c.valor;
                }
}

void TestDBGrid::typedAmountsReadDotAsThousands() {
    QFETCH(QString, control);
    QFETCH(QString, campo);
    QFETCH(QString, texto);
    QFETCH(double, guardado);
    TestDatabase base(CurrentEngine(), QStringLiteral("Importes"));
    {
        TTable t;
        t.setDatabaseName(QStringLiteral("Importes"));
        t.setTableName(QStringLiteral("IMPORTES"));
        t.FieldDefs().Add(QStringLiteral("Codigo"), ftInteger, 0, true);
        t.FieldDefs().Add(QStringLiteral("Importe"), ftFloat);
        t.FieldDefs().Add(QStringLiteral("Moneda"), ftCurrency);
        t.IndexDefs().Add(QStringLiteral("<Primary>"), QStringLiteral("Codigo"),
                          ixPrimary | ixUnique);
        t.CreateTable();
    }
    base.db()->Execute(
        QStringLiteral("INSERT INTO IMPORTES (Codigo, Importe, Moneda) VALUES (1, 1500, 1500)"));
    TTable tabla;
    tabla.setDatabaseName(QStringLiteral("Importes"));
    tabla.setTableName(QStringLiteral("IMPORTES"));
    tabla.Open();
    TField* f = tabla.FieldByName(campo);
    for (TField* importe : {tabla.FieldByName(QStringLiteral("Importe")),
                            tabla.FieldByName(QStringLiteral("Moneda"))})
        importe->setDisplayFormat(QStringLiteral("#,###.##"));
    TDataSource source;
    source.setDataSet(&tabla);
    auto capturados = std::make_unique<ErroresCapturados>();
    const QStringList& errores = capturados->textos;
    const bool rechazado = std::isnan(guardado);
    if (control == QLatin1String("edit")) {
        TForm form;
        auto* box = new QVBoxLayout(&form);
        // The code first: it takes the focus as the window opens.
        auto* codigo = new TDBEdit(&form);
        codigo->setDataSource(&source);
        codigo->setDataField(QStringLiteral("Codigo"));
        auto* edit = new TDBEdit(&form);
        edit->setDataSource(&source);
        edit->setDataField(campo);
        box->addWidget(codigo);
        box->addWidget(edit);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        codigo->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), codigo);
        QCOMPARE(edit->text(), QStringLiteral("1.500"));
        edit->setFocus();
        QCOMPARE(edit->text(), QStringLiteral("1500"));  // the plain number to edit
        edit->selectAll();
        QTest::keyClicks(edit, texto);
        codigo->setFocus();
        if (rechazado) QTRY_COMPARE(QApplication::focusWidget(), edit);
    } else {
        f->setVisible(true);
        Rejilla r(&source);
        r.grid->Columns().RestoreDefaults();
        r.grid->setSelectedIndex(f->Index());
        QTest::keyClick(r.grid, Qt::Key_F2);
        QLineEdit* editor = editorAbierto();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("1500"));
        editor->setText(texto);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    const QStringList vistos = errores;
    capturados.reset();
    QCOMPARE(vistos.size(), rechazado ? 1 : 0);
    if (rechazado) {
        QCOMPARE(vistos.first(),
                 QStringLiteral("'%1' is not a valid floating point value").arg(texto));
        tabla.Cancel();
    } else {
        tabla.Post();
    }
    QSqlQuery q =
        base.db()->Execute(QStringLiteral("SELECT %1 FROM IMPORTES WHERE Codigo = 1").arg(campo));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), rechazado ? 1500.0 : guardado);
}

// A text the field refuses, in the middle line, left by a key or a click:
// the warning is told once, the cell keeps the focus in edit with the typed
// text selected, and what is typed next corrects it rather than landing in
// the neighbour.
void TestDBGrid::refusedCellKeepsTheFocus_data() {
    QTest::addColumn<QString>("salida");
    for (const char* salida :
         {"Tab", "Mayúsculas+Tab", "Intro", "Intro como Tab", "Abajo", "Arriba", "Av Pág", "Re Pág",
          "clic en la celda vecina", "clic en otra línea"})
        QTest::newRow(salida) << QString::fromUtf8(salida);
}

void TestDBGrid::refusedCellKeepsTheFocus() {
    QFETCH(QString, salida);
    Lineas l;
    TDBGrid* g = l.r->grid;
    // The window's own Enter-as-Tab, as every form of the program has it.
    if (salida == QLatin1String("Intro como Tab")) {
        l.r->form.setKeyPreview(true);
        l.r->form.OnKeyDown = [](QObject*, int& key, TShiftState) {
            if (key == VK_RETURN) key = VK_TAB;
        };
    }
    l.ds.First();
    l.ds.Next();
    g->setSelectedIndex(0);
    const QModelIndex celda = g->currentIndex();
    auto capturados = std::make_unique<ErroresCapturados>();
    TeclearEnFoco(QStringLiteral("x"));
    QLineEdit* editor = editorAbierto();
    QVERIFY(editor);
    auto clic = [g](int fila, int columna) {
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                          g->visualRect(g->model()->index(fila, columna)).center());
    };
    if (salida == QLatin1String("Tab"))
        QTest::keyClick(editor, Qt::Key_Tab);
    else if (salida == QLatin1String("Mayúsculas+Tab"))
        QTest::keyClick(editor, Qt::Key_Backtab, Qt::ShiftModifier);
    else if (salida.startsWith(QLatin1String("Intro")))
        QTest::keyClick(editor, Qt::Key_Return);
    else if (salida == QLatin1String("Abajo"))
        QTest::keyClick(editor, Qt::Key_Down);
    else if (salida == QLatin1String("Arriba"))
        QTest::keyClick(editor, Qt::Key_Up);
    else if (salida == QLatin1String("Av Pág"))
        QTest::keyClick(editor, Qt::Key_PageDown);
    else if (salida == QLatin1String("Re Pág"))
        QTest::keyClick(editor, Qt::Key_PageUp);
    else if (salida == QLatin1String("clic en la celda vecina"))
        clic(celda.row(), 1);
    else
        clic(0, 1);
    QCoreApplication::processEvents();
    QCOMPARE(capturados->textos, QStringList{QStringLiteral("'x' is not a valid integer value")});
    QCOMPARE(g->currentIndex(), celda);
    QVERIFY(g->EditorMode());
    QCOMPARE(editorAbierto(), editor);
    QCOMPARE(editor->selectedText(), QStringLiteral("x"));
    // The correction goes into the refused cell.
    TeclearEnFoco(QStringLiteral("7"));
    QTest::keyClick(editorAbierto(), Qt::Key_Return);
    QCoreApplication::processEvents();
    capturados.reset();
    QVERIFY(l.focoEnRejilla());
    if (l.ds.State() != dsBrowse) l.ds.Post();
    QStringList lineas;
    for (l.ds.First(); !l.ds.Eof(); l.ds.Next())
        lineas << l.ds.Fields()[0]->AsString() + QLatin1Char(' ') + l.ds.Fields()[1]->AsString();
    QCOMPARE(lineas,
             (QStringList{QStringLiteral("1 N1"), QStringLiteral("7 N2"), QStringLiteral("3 N3")}));
}

#include "tst_dbgrid.moc"

// A memo of 20 MB stored in a table is painted in a moment and cut: Qt lays
// out a cell's whole text before eliding it, which takes seconds and
// hundreds of megabytes (a larger value ends the program).
void TestDBGrid::hugeValuesArePaintedCut_data() {
    QTest::addColumn<QString>("memo");
    QTest::addColumn<bool>("porElManejador");  // drawn by DefaultDrawColumnCell
    const QString letras(20'000'000, QLatin1Char('x'));
    QString lineas = letras;
    for (qsizetype i = 80; i < lineas.size(); i += 81) lineas[i] = QLatin1Char('\n');
    QString fuera = letras;
    // A letter outside Latin-1 (two UTF-16 units) where the cut falls.
    fuera.replace(3999, 2, QStringLiteral("\U0001D11E"));
    QTest::newRow("una línea") << letras << false;
    QTest::newRow("líneas LF") << lineas << false;
    QTest::newRow("fuera de Latin-1 en el corte") << fuera << false;
    QTest::newRow("dibujada por el manejador") << letras << true;
}

void TestDBGrid::hugeValuesArePaintedCut() {
    QFETCH(QString, memo);
    QFETCH(bool, porElManejador);
    TDatabase* db = db_->db();
    db->Execute(QStringLiteral("DROP TABLE IF EXISTS MEMOS"));
    // A text longer than its field, as another program may leave it.
    db->Execute(
        QStringLiteral("CREATE TABLE MEMOS (Codigo INTEGER PRIMARY KEY, Texto VARCHAR(40))"));
    db->Execute(QStringLiteral("INSERT INTO MEMOS VALUES (1, 'corto'), (2, ?)"), {memo});
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("MEMOS"));
    t.Open();
    QCOMPARE(t.FieldByName(QStringLiteral("Texto"))->DataType(), ftString);
    TDataSource source;
    source.setDataSet(&t);
    QElapsedTimer reloj;
    reloj.start();
    Rejilla r(&source);
    if (porElManejador)
        r.grid->OnDrawColumnCell = [&](QObject*, const QRect& rect, int col, TColumn* column, int) {
            r.grid->DefaultDrawColumnCell(rect, col, column, 0);
        };
    r.grid->Columns()[1]->setWidth(3000);
    const auto celdas = TextosCeldas(r.grid);
    r.grid->viewport()->repaint();
    QVERIFY2(reloj.elapsed() < 5000, qPrintable(QString::number(reloj.elapsed())));
    QCOMPARE(celdas.value({1, 0}).value(0), QStringLiteral("corto #000000"));
    const QStringList largo = celdas.value({1, 1});
    QVERIFY(!largo.isEmpty());
    for (const QString& texto : largo) {
        QVERIFY2(texto.size() < 5000, qPrintable(QString::number(texto.size())));
        QVERIFY(texto.startsWith(memo.left(40)));
        // Never half a letter.
        for (qsizetype i = 0; i < texto.size(); ++i)
            QVERIFY(!texto.at(i).isHighSurrogate() ||
                    (i + 1 < texto.size() && texto.at(i + 1).isLowSurrogate()));
    }
    // The record itself keeps the whole value.
    QVERIFY(t.Locate(QStringLiteral("Codigo"), 2, {}));
    QCOMPARE(t.FieldByName(QStringLiteral("Texto"))->AsString().size(), memo.size());
}

// A value the cell's single-line editor cannot hold whole (a memo, a text
// longer than the editor or its field) is not edited there: opening the
// cell and leaving it, or typing into another field of the record, stores
// it whole.
void TestDBGrid::valuesTheCellEditorCannotHoldStayWhole_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("valor");
    QTest::addColumn<bool>("otroCampo");
    QString memo(40'000, QLatin1Char('x'));
    memo.back() = QLatin1Char('z');
    QString grande(20'000'000, QLatin1Char('y'));
    for (qsizetype i = 100; i < grande.size(); i += 101) grande[i] = QLatin1Char('\n');
    // A letter outside Latin-1 (two UTF-16 units) where a line edit cuts.
    grande.replace(32'766, 2, QStringLiteral("\U0001D11E"));
    const QString largo =
        QStringLiteral("más largo que los cuarenta de su campo, ") + memo.left(30);
    for (const bool otro : {false, true}) {
        const char* sufijo = otro ? ", otro campo" : ", nada";
        QTest::addRow("memo de 40.000%s", sufijo) << QStringLiteral("TEXT") << memo << otro;
        QTest::addRow("memo de 20 MB con LF%s", sufijo) << QStringLiteral("TEXT") << grande << otro;
        QTest::addRow("más largo que su campo%s", sufijo)
            << QStringLiteral("VARCHAR(40)") << largo << otro;
    }
}

void TestDBGrid::valuesTheCellEditorCannotHoldStayWhole() {
    QFETCH(QString, tipo);
    QFETCH(QString, valor);
    QFETCH(bool, otroCampo);
    TDatabase* db = db_->db();
    db->Execute(QStringLiteral("DROP TABLE IF EXISTS MEMOS"));
    db->Execute(QStringLiteral("CREATE TABLE MEMOS (Codigo INTEGER PRIMARY KEY, Texto %1, "
                               "Nombre VARCHAR(20))")
                    .arg(tipo));
    db->Execute(QStringLiteral("INSERT INTO MEMOS VALUES (1, ?, 'uno'), (2, 'corto', 'dos')"),
                {valor});
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("MEMOS"));
    t.Open();
    TDataSource source;
    source.setDataSet(&t);
    Rejilla r(&source);
    r.grid->setSelectedIndex(1);
    QTest::keyClick(r.grid, Qt::Key_F2);
    if (otroCampo) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(r.grid->SelectedIndex(), 2);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("n"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("uevo"));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCoreApplication::processEvents();
    QCOMPARE(t.State(), dsBrowse);
    QSqlQuery q = db->Execute(QStringLiteral("SELECT Texto, Nombre FROM MEMOS WHERE Codigo = 1"));
    QVERIFY(q.next());
    const QString guardado = q.value(0).toString();
    QVERIFY2(
        guardado == valor,
        qPrintable(QStringLiteral("%1 de %2 caracteres").arg(guardado.size()).arg(valor.size())));
    QCOMPARE(q.value(1).toString(), otroCampo ? QStringLiteral("nuevo") : QStringLiteral("uno"));
}
