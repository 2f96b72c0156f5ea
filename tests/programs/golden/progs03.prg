Option=0001
                              'SIM demo program 3
SPD 100
ACC 50
MOV 10000                     'move out
TIM 500
MOV 0                         'back home
M10
END
