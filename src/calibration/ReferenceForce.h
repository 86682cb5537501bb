#pragma once

namespace springtest {}  // namespace springtest
