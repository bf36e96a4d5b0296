/* SPDX-FileCopyrightText: 2026 The zandrel developers */
/* SPDX-License-Identifier: MIT */
/* The version record, in the one form that both C++ and the Windows resource compiler read. */
#pragma once

#define ZANDREL_VERSION_NUMBERS 1, 0, 0, 1
#define ZANDREL_VERSION_TEXT "1, 0, 0, 1"
#define ZANDREL_FILE_FLAGS 0x1L /* debug */
#define ZANDREL_FILE_FLAGS_MASK 0x3FL
#define ZANDREL_LANGUAGE 0x0411 /* Japanese */
#define ZANDREL_CODE_PAGE 1200  /* UTF-16 */
#define ZANDREL_STRING_BLOCK "041104b0"
#define ZANDREL_INTERNAL_NAME "zandrel"
#define ZANDREL_ORIGINAL_FILENAME "zandrel.EXE"
#define ZANDREL_FILE_DESCRIPTION "zandrel MFC ｱﾌﾟﾘｹｰｼｮﾝ"
#define ZANDREL_PRODUCT_NAME "zandrel ｱﾌﾟﾘｹｰｼｮﾝ"
