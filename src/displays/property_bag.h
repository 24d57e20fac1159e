// The container's store of a control's properties: values by property name.
// A value equal to its default is not written (and removes an earlier one),
// a missing value reads as its default.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

namespace qvx {

class PropertyBag {
public:
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const
    {
        const auto it = values_.constFind(name);
        return it == values_.constEnd() ? defaultValue : it.value();
    }

    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue)
    {
        if (value == defaultValue)
            values_.remove(name);
        else
            values_.insert(name, value);
    }

    bool contains(const QString& name) const { return values_.contains(name); }
    QStringList names() const { return values_.keys(); }
    const QVariantMap& values() const { return values_; }

private:
    QVariantMap values_;
};

}  // namespace qvx
