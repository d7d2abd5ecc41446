#pragma once
// The system writes paths the Windows way ("C:\DATOS\", "..\AYUDA"). Every path
// that is read, tested or opened goes through NativePath, which accepts either
// separator; WindowsPath writes a native path back with "\".

#include <QString>

QString NativePath(const QString& path);
QString WindowsPath(const QString& path);
// A path joined to a name with exactly one separator, in native form.
QString JoinPath(const QString& folder, const QString& name);
