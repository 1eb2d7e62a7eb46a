#include "base/system/com_apartment.h"

ComApartment::ComApartment() = default;
ComApartment::~ComApartment() = default;
