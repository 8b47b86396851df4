#pragma once

#include "platform/file_name_codec.h"
