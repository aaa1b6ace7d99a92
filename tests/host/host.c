/* A minimal host: loads the engine, makes a page with two layers, reads them back. */
#include <ravelin.h>
#include <stdio.h>
#include <string.h>

int main(void) {
  RVL_SetRandomSeed(7);
  RVL_CreateImage(NULL, 64, 48, 32, 0);
  if (!RVL_CreateLayer(0, 64, 48) || !RVL_CreateLayer(1, 64, 48) || !RVL_CreateLayer(2, 64, 48)) {
    fprintf(stderr, "layer creation failed: %s\n", RVL_GetLastError());
    return 1;
  }
  RVL_SetLayerOptions(1, 1, 0, 100, "Normal");
  RVL_SetLayerOptions(2, 1, 0, 50, "Multiply");
  RVL_SetLayer(2);
  if (RVL_GetLayerCount() != 3 || RVL_GetLayerNum() != 2) {
    fprintf(stderr, "unexpected layer table\n");
    return 1;
  }
  RVL_SetLastError("host check");
  if (strcmp(RVL_GetLastError(), "host check") != 0) return 1;
  RVL_DeleteImage();
  printf("host ok\n");
  return 0;
}
