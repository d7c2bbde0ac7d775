// The host function the limit details ask, exported by this test program as the terminal does.
int g_testModifyRight = 1;

extern "C" int pu_get_maker_checker_Modify_Right()
{
    return g_testModifyRight;
}
