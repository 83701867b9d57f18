__attribute__((visibility("default"))) int mirt_test_add(int a, int b)
{
    return a + b;
}
