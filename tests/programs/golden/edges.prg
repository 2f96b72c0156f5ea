Option=0003
                              'edge cases
MOV 100                       'go
                              'alone
AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA     'x
BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB 'ccccccccccccccccccccccccccccccccc

END
