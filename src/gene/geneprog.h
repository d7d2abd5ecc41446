#pragma once
// The progress window shown during long operations: a caption and one line of
// progress text; the window fits its width to the text.

#include <QWidget>

class QLineEdit;

class TfGENEPROG : public QWidget {
    Q_OBJECT
public:
    explicit TfGENEPROG(QWidget* parent = nullptr);

    void AsignarTexto(const QString& Texto);
    QString Texto() const;
    // Fits the window to the progress text.
    void EditProgresoChange();

    QLineEdit* EditProgreso;
};
