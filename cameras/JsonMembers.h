#ifndef CAMERAS_JSONMEMBERS_H
#define CAMERAS_JSONMEMBERS_H

#include <json/value.h>

// Typed reads of members of a reply from the network. jsoncpp throws when a value is read as a
// type it does not have, so every read checks the type first and reports what it found.

// The member key of object when object is an object and the member an integral number that
// fits an int.
inline bool intMember(const Json::Value &object, const char *key, int &value)
{
    if (!object.isObject())
        return false;
    const Json::Value &member = object[key];
    if (!member.isInt())
        return false;
    value = member.asInt();
    return true;
}

// The member key of object when it is a number (an integer or a real, not a boolean).
inline bool numberMember(const Json::Value &object, const char *key, double &value)
{
    if (!object.isObject())
        return false;
    const Json::Value &member = object[key];
    if (!member.isNumeric() || member.isBool())
        return false;
    value = member.asDouble();
    return true;
}

// The member key of object when it is an object itself; null otherwise.
inline const Json::Value *objectMember(const Json::Value &object, const char *key)
{
    if (!object.isObject())
        return nullptr;
    const Json::Value &member = object[key];
    return member.isObject() ? &member : nullptr;
}

#endif
