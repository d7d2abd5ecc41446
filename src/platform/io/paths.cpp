#include "io/paths.h"

#include <QDir>

QString NativePath(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // Collapse doubled separators produced by "folder\" + "\name", but keep a
    // leading "//" (a network path).
    const bool unc = p.startsWith(QLatin1String("//"));
    while (p.contains(QLatin1String("//"))) p.replace(QLatin1String("//"), QLatin1String("/"));
    if (unc) p.prepend(QLatin1Char('/'));
    return p;
}

QString WindowsPath(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return p;
}

QString JoinPath(const QString& folder, const QString& name) {
    QString f = NativePath(folder);
    QString n = NativePath(name);
    if (f.isEmpty()) return n;
    if (n.isEmpty()) return f;
    if (!f.endsWith(QLatin1Char('/'))) f += QLatin1Char('/');
    if (n.startsWith(QLatin1Char('/'))) n.remove(0, 1);
    return f + n;
}
