#include <gtest/gtest.h>

#include "linha_de_comando.hpp"

TEST(LerHandle, AceitaSinalUnico) { EXPECT_EQ(ler_handle("+5"), 5); }
